// Slot scan model and export layout.
#include "app/slot_scan.h"

#include <exception>

#include "app/memory_names.h"
#include "support/text_helpers.h"
#include "wmi/physical_memory.h"
#include "wmi/physical_memory_array.h"

namespace dimmscope {
namespace {

constexpr std::int64_t kBytesPerGB = 1024LL * 1024LL * 1024LL;
constexpr std::int64_t kKilobytesPerGB = 1048576;
// The most memory any machine can hold: 4 PiB, the widest physical address
// (52 bits) that x86-64 and ARM64 define. A capacity that is negative or would
// take the installed total past it is a misreading, not memory; it is also
// far from any total an int64 sum could overflow on.
constexpr std::int64_t kMaxInstalledBytes = 1LL << 52;
// SMBIOS's MaxCapacity value that defers to the extended maximum (kilobytes).
constexpr std::uint32_t kExtendedMaxCapacity = 0x80000000u;

void AddError(TSlotScanModel& m, const std::string& error) { m.Errors.push_back(error); }

// A failed load counts as no instance for the panels, but is the scan's
// error: the report and the window say so rather than show an empty machine.
std::int32_t InstanceCount(TSlotScanModel& m, const TWmiClass& records) {
  const std::int32_t count = records.CollectionCount();
  if (count < 0) AddError(m, "Cannot read " + records.WmiClassName + ": " + records.LoadError);
  return count < 0 ? 0 : count;
}

TSlotRows ModuleRows(const TWin32_PhysicalMemory& module) {
  const std::string maker = ManufacturerName(module.Manufacturer);
  const bool unknownMaker = SameText(maker, "N/A");
  const std::string type =
      TypeWithSpeedRating(MemoryTypeName(module.MemoryType, module.Speed, module.SMBIOSMemoryType), module.Speed);
  return {
      {kSlotRowCaptions[0], module.DeviceLocator},
      {kSlotRowCaptions[1], std::to_string(module.Capacity / kBytesPerGB) + " GB"},
      {kSlotRowCaptions[2], maker},
      {kSlotRowCaptions[3], unknownMaker ? "N/A" : module.PartNumber},
      {kSlotRowCaptions[4], type},
      {kSlotRowCaptions[5], unknownMaker ? "N/A" : module.SerialNumber},
  };
}

void LogModule(std::vector<std::string>& log, std::int32_t i, const TWin32_PhysicalMemory& module,
               const TSlotRows& rows) {
  const std::string n = std::to_string(i);
  log.push_back("Scanning slot #" + n);
  log.push_back(n + "\tSlot Name\t" + module.DeviceLocator);
  log.push_back(n + "\tCapacity\t" + rows[1].second);
  log.push_back(n + "\tManufacturer\t" + rows[2].second + " (" + module.Manufacturer + ")");
  log.push_back(n + "\tModel\t" + module.PartNumber);
  log.push_back(n + "\tType\t" + std::to_string(module.MemoryType));
  log.push_back(n + "\tSpeed\t" + std::to_string(module.Speed));
  log.push_back(n + "\tType\t" + rows[4].second);
  log.push_back(n + "\tSerial#\t" + module.SerialNumber);
}

void Scan(TSlotScanModel& m, TWin32_PhysicalMemory& modules, TWin32_PhysicalMemoryArray& arrays,
          const TSlotLayout& layout) {
  const std::int32_t arrayCount = InstanceCount(m, arrays);
  bool maximumKnown = arrayCount > 0;
  std::int64_t maximumBytes = 0;
  for (std::int32_t i = 0; i < arrayCount; ++i) {
    arrays.SetCollectionIndex(i);
    m.Slots += arrays.MemoryDevices;
    m.MaxGB += arrays.MaxCapacity / kKilobytesPerGB;
    // At most 256 arrays of under 4 TiB each: far below the int64 range.
    maximumKnown = maximumKnown && arrays.MaxCapacity != 0 && arrays.MaxCapacity != kExtendedMaxCapacity;
    maximumBytes += static_cast<std::int64_t>(arrays.MaxCapacity) * 1024;
    // Many machines list a one-device flash or ROM array after the memory's
    // own: the largest array gives the sockets the panels stand for.
    if (arrays.MemoryDevices > m.MostArrayDevices) m.MostArrayDevices = arrays.MemoryDevices;
  }
  if (maximumKnown) m.MaximumBytes = maximumBytes;
  m.SlotsText = "Number of slots : " + std::to_string(m.Slots);
  m.MaxMemText = "Maximum memory : " + std::to_string(m.MaxGB) + " GB";

  const int d = m.MostArrayDevices;
  for (int k = 0; k < kSlotPanels; ++k) m.Panels[static_cast<std::size_t>(k)].GroupEnabled = d > k;
  // Fewer than three slots: only the left column of slot groups fits.
  if (d < 3) m.WindowWidth = layout.GeneralLeft + layout.Slot1Left + layout.Slot1Width + 16;

  const std::int32_t moduleCount = InstanceCount(m, modules);
  for (std::int32_t i = 0; i < moduleCount; ++i) {
    modules.SetCollectionIndex(i);
    TSlotRows rows = ModuleRows(modules);
    m.Modules.push_back(ModuleFacts(modules, rows));
    // InstalledBytes stays within the bound, so the subtraction cannot overflow.
    if (modules.Capacity >= 0 && modules.Capacity <= kMaxInstalledBytes - m.InstalledBytes) {
      m.InstalledBytes += modules.Capacity;
    } else {
      m.ImpossibleCapacities.push_back(m.Modules.size() - 1);
      m.Notes.push_back("Module #" + std::to_string(i) + " (" + modules.DeviceLocator + "): Capacity of " +
                        std::to_string(modules.Capacity) + " bytes is impossible, left out of Current memory");
      m.LogLines.push_back(m.Notes.back());
    }
    if (i >= kSlotPanels) continue;  // no panel beyond the fourth module
    LogModule(m.LogLines, i, modules, rows);
    m.Panels[static_cast<std::size_t>(i)].Rows = std::move(rows);
    m.Panels[static_cast<std::size_t>(i)].Manufacturer = modules.Manufacturer;
  }
  m.ModulesComplete = modules.CollectionCount() >= 0;

  for (int k = 0; k < kSlotPanels; ++k) {
    TSlotPanelModel& panel = m.Panels[static_cast<std::size_t>(k)];
    // Lists start shown; only those past the last module are hidden.
    panel.ListShown = k < moduleCount;
    panel.GetRamShown = !*panel.ListShown && *panel.GroupEnabled;
    panel.GetSpecShown = !*panel.GetRamShown && *panel.ListShown;
    panel.GetSpecEnabled = *panel.GetSpecShown && panel.Rows && HasModel(*panel.Rows);
  }

  const std::int64_t installedGB = m.InstalledBytes / kBytesPerGB;
  m.CurMemText = "Current memory : " + std::to_string(installedGB) + " GB";
  m.MaxMemShown = installedGB <= m.MaxGB;
}

}  // namespace

std::optional<std::string> TSlotScanModel::Error() const {
  if (Errors.empty()) return std::nullopt;
  std::string text = Errors.front();
  for (std::size_t i = 1; i < Errors.size(); ++i) text += "; " + Errors[i];
  return text;
}

std::array<std::string, 3> SystemInfoTexts(const TSlotScanModel& model) {
  return {model.SlotsText.value_or("Number of slots :"), model.CurMemText.value_or("Current memory :"),
          model.MaxMemText.value_or("Maximum memory :")};
}

bool HasModel(const TSlotRows& rows) {
  return rows.size() > static_cast<std::size_t>(kModelRow) && !TrimControls(rows[kModelRow].second).empty();
}

TSlotScanModel ScanSlotModel(TWin32_PhysicalMemory& modules, TWin32_PhysicalMemoryArray& arrays,
                             const TSlotLayout& layout) {
  TSlotScanModel model;
  try {
    Scan(model, modules, arrays, layout);
  } catch (const std::exception& error) {
    AddError(model, error.what());
  }
  return model;
}

TSlotScanModel ScanSlotModel(const TSlotLayout& layout) {
  TWin32_PhysicalMemory modules(true);
  TWin32_PhysicalMemoryArray arrays(true);
  return ScanSlotModel(modules, arrays, layout);
}

std::array<TExportPanel, kSlotPanels> ExportPanels(const TSlotScanModel& model) {
  std::array<TExportPanel, kSlotPanels> panels;
  for (std::size_t k = 0; k < panels.size(); ++k) {
    const TSlotPanelModel& panel = model.Panels[k];
    panels[k].ListShown = panel.ListShown.value_or(true);
    if (panel.Rows) panels[k].Rows = *panel.Rows;
  }
  return panels;
}

std::string ExportLayout(const std::array<TExportPanel, kSlotPanels>& panels, const std::string& separator) {
  static const char kLineEnd[] = "\r\n";
  std::string text;
  for (std::size_t k = 0; k < panels.size(); ++k) {
    const TExportPanel& panel = panels[k];
    if (!panel.ListShown) continue;
    if (k > 0) text += kLineEnd;
    text += "[BANK " + std::to_string(k + 1) + "]" + kLineEnd;
    for (const auto& row : panel.Rows) text += row.first + separator + row.second + kLineEnd;
    if (panel.Rows.empty()) text += std::string("Empty") + kLineEnd;
  }
  return text;
}

}  // namespace dimmscope
