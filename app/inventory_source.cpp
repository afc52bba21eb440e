// Inventory source selection.
#include "app/inventory_source.h"

#include <cstdlib>
#include <exception>
#include <memory>
#include <utility>

#include "app/inventory_capture.h"
#include "support/memory_status.h"
#include "support/system_info.h"
#include "wmi/physical_memory.h"
#include "wmi/replay_provider.h"
#include "wmi/smbios_provider.h"
#include "wmi/smbios_table.h"

namespace dimmscope {
namespace {

constexpr const char* kFirmwareLine = "Memory read from the firmware tables: ";

std::string WithCause(const std::string& what, const std::string& cause) {
  return cause.empty() ? what : what + " (" + cause + ")";
}

// WMI is asked once per scan: both classes are read here, over one
// connection, and the choice and the scan read those answers.
TWmiLocatorFactory AskWmiOnce(TWmiLocatorFactory wmi) {
  const TScopedWmiLocatorFactory live(std::move(wmi));
  return MakeReplayLocatorFactory(std::make_shared<const TWmiAnswers>(CaptureWmiAnswers()));
}

}  // namespace

TWmiLocatorFactory ChooseWmiOrFirmware(TWmiLocatorFactory wmi, const TFirmwareSmbiosReader& firmware,
                                       std::vector<std::string>* notes, std::string* sourceLine) {
  if (!wmi) return wmi;
  TWmiLocatorFactory answered = AskWmiOnce(std::move(wmi));
  if (!firmware) return answered;
  // The scan's own record over WMI's answers, so that WMI is kept exactly
  // when the scan would see a module through it.
  std::string reason;
  {
    const TScopedWmiLocatorFactory probeFactory(answered);
    const TWin32_PhysicalMemory probe(true);
    if (probe.CollectionCount() > 0) return answered;
    if (probe.CollectionCount() < 0) {
      reason =
          WithCause(probe.Connection->Connected ? "WMI query failed" : "connecting to WMI failed", probe.LoadError);
    }
  }
  // Without usable tables the scan stays with WMI, as it would have been
  // without them.
  std::vector<std::string> tableNotes;
  std::shared_ptr<const TInventory> inventory;
  try {
    inventory = std::make_shared<const TInventory>(SmbiosInventory(ParseRawSmbiosData(firmware()), &tableNotes));
  } catch (const std::exception&) {
    return answered;
  }
  if (reason.empty()) {
    std::size_t modules = 0;
    for (const auto& instance : inventory->Instances) {
      if (instance.ClassName == "Win32_PhysicalMemory") ++modules;
    }
    if (modules == 0) return answered;
    reason = "WMI lists no memory module, the firmware tables list " + std::to_string(modules);
  }
  if (notes != nullptr) notes->insert(notes->end(), tableNotes.begin(), tableNotes.end());
  if (sourceLine != nullptr) *sourceLine = kFirmwareLine + reason;
  return MakeReplayLocatorFactory(std::move(inventory));
}

TInventorySource InstallInventoryProvider(const std::string& smbiosDump, std::vector<std::string>* notes,
                                          std::string* sourceLine) {
  // A replayed inventory wins over everything: it is how a machine's scan is
  // reproduced elsewhere, whatever that machine has.
  const std::string path = EnvironmentValue(kInventoryVariable);
  if (!path.empty()) {
    auto inventory = std::make_shared<const TInventory>(LoadInventoryFile(path));
    SetWmiLocatorFactory(MakeReplayLocatorFactory(std::move(inventory)));
    return TInventorySource::ReplayFile;
  }
  std::string dump = smbiosDump;
  if (dump.empty()) {
    const char* named = std::getenv(kSmbiosVariable);
    if (named != nullptr) dump = named;
  }
  if (!dump.empty()) {
    try {
      SetWmiLocatorFactory(MakeSmbiosLocatorFactory(LoadSmbiosDumpFile(dump), notes));
    } catch (const ESmbiosError& error) {
      throw EInventoryError(error.what());
    }
    return TInventorySource::SmbiosDump;
  }
  TWmiLocatorFactory platform = PlatformWmiLocatorFactory(notes);
  if (!platform) {
    SetWmiLocatorFactory(nullptr);
    return TInventorySource::None;
  }
  std::string line;
  SetWmiLocatorFactory(ChooseWmiOrFirmware(std::move(platform), PlatformFirmwareSmbiosReader(), notes, &line));
  if (line.empty()) return TInventorySource::Platform;
  if (sourceLine != nullptr) *sourceLine = line;
  return TInventorySource::FirmwareTables;
}

std::optional<TLiveMemory> LiveMemory(TInventorySource source) {
  if (source != TInventorySource::Platform && source != TInventorySource::FirmwareTables) return std::nullopt;
  TLiveMemory live;
  live.FirmwareInstalledBytes = FirmwareInstalledBytes();
  try {
    live.UsableBytes = GetMemoryStatus().TotalPhys;
  } catch (const std::exception&) {
    // The advice leaves out what the system cannot tell.
  }
  return live;
}

}  // namespace dimmscope
