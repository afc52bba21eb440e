// A module's details in plain words.
#include "app/module_details.h"

#include <cctype>
#include <cstdlib>
#include <iterator>
#include <string_view>

#include "app/memory_names.h"
#include "wmi/physical_memory.h"

namespace dimmscope {
namespace {

// WMI's FormFactor codes (index); "" for Unknown and Other, which say nothing.
constexpr std::string_view kFormFactors[] = {
    "",       "",      "SIP", "DIP",  "ZIP", "SOJ",  "proprietary", "SIMM", "DIMM", "TSOP", "PGA",   "RIMM",
    "SODIMM", "SRIMM", "SMD", "SSMP", "QFP", "TQFP", "SOIC",        "LCC",  "PLCC", "BGA",  "FPBGA", "LGA",
};

// SMBIOS type detail bits.
constexpr std::uint16_t kRegistered = 0x2000;
constexpr std::uint16_t kUnbuffered = 0x4000;
constexpr std::uint16_t kLoadReduced = 0x8000;

// The lowest JEDEC data rate of each generation (MT/s), and for the
// generations no longer made a rate above any module ever sold, overclocking
// kits included (DDR-600, DDR2-1300, DDR3-3100 were the fastest); 0 for none.
struct TSpeedRange {
  std::string_view Generation;
  std::uint32_t Lowest;
  std::uint32_t Beyond;
};
constexpr TSpeedRange kSpeedRanges[] = {
    {"DDR", 200, 800},   {"DDR2", 400, 1600}, {"DDR2 FB-DIMM", 400, 1600},
    {"DDR3", 800, 3400}, {"DDR4", 1600, 0},   {"DDR5", 3200, 0},
};

TSpeedRange SpeedRange(const std::string& generation) {
  for (const auto& range : kSpeedRanges) {
    if (range.Generation == generation) return range;
  }
  return {generation, 0, 0};
}

std::string MegaTransfers(std::uint32_t speed) { return std::to_string(speed) + " MT/s"; }

std::string Join(const std::vector<std::string>& parts) {
  std::string text;
  for (const auto& part : parts) {
    if (part.empty()) continue;
    text += (text.empty() ? "" : ", ") + part;
  }
  return text;
}

}  // namespace

TModuleFacts ModuleFacts(const TWin32_PhysicalMemory& m, TSlotRows rows) {
  TModuleFacts f;
  f.Rows = std::move(rows);
  f.BankLabel = m.BankLabel;
  f.DeviceLocator = m.DeviceLocator;
  f.Manufacturer = m.Manufacturer;
  f.PartNumber = m.PartNumber;
  f.SerialNumber = m.SerialNumber;
  f.Capacity = m.Capacity;
  f.MemoryType = m.MemoryType;
  f.SMBIOSMemoryType = m.SMBIOSMemoryType;
  f.FormFactor = m.FormFactor;
  f.TotalWidth = m.TotalWidth;
  f.DataWidth = m.DataWidth;
  f.TypeDetail = m.TypeDetail;
  f.Speed = m.Speed;
  f.ConfiguredClockSpeed = m.ConfiguredClockSpeed;
  f.Attributes = m.Attributes;
  f.ConfiguredVoltage = m.ConfiguredVoltage;
  f.MinVoltage = m.MinVoltage;
  f.MaxVoltage = m.MaxVoltage;
  return f;
}

std::string FormFactorName(std::uint16_t formFactor) {
  return formFactor < std::size(kFormFactors) ? std::string(kFormFactors[formFactor]) : std::string();
}

std::string BufferingName(std::uint16_t typeDetail) {
  if ((typeDetail & kLoadReduced) != 0) return "load-reduced";
  if ((typeDetail & kRegistered) != 0) return "registered";
  if ((typeDetail & kUnbuffered) != 0) return "unbuffered";
  return "";
}

std::optional<bool> HasEcc(const TModuleFacts& module) {
  // FFFFh is SMBIOS's unknown width, which a provider may pass on as it is.
  const auto known = [](std::uint16_t width) { return width != 0 && width != 0xFFFF; };
  if (!known(module.TotalWidth) || !known(module.DataWidth) || module.TotalWidth < module.DataWidth) {
    return std::nullopt;
  }
  return module.TotalWidth > module.DataWidth;
}

int Ranks(const TModuleFacts& module) { return static_cast<int>(module.Attributes & 0x0F); }

std::string VoltageText(std::uint32_t millivolts) {
  if (millivolts == 0) return "";
  std::string fraction = std::to_string(1000 + millivolts % 1000).substr(1);  // three digits
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  return std::to_string(millivolts / 1000) + (fraction.empty() ? "" : "." + fraction) + " V";
}

std::string ModuleVoltageText(const TModuleFacts& module) {
  if (module.ConfiguredVoltage != 0) return VoltageText(module.ConfiguredVoltage);
  if (module.MinVoltage == 0 || module.MaxVoltage == 0) return "";
  if (module.MinVoltage == module.MaxVoltage) return VoltageText(module.MinVoltage);
  const std::string low = VoltageText(module.MinVoltage);
  return low.substr(0, low.size() - 2) + " to " + VoltageText(module.MaxVoltage);
}

std::string ModuleGeneration(const TModuleFacts& module) {
  // A speed of 0 keeps the name from being guessed from the rating, which is
  // what the reading below judges.
  std::string name = MemoryTypeName(module.MemoryType, 0, module.SMBIOSMemoryType);
  const bool named = name.find("DDR") != std::string::npos || name == "FBD2";
  return named ? name : std::string();
}

TModuleSpeeds ReadSpeeds(const TModuleFacts& module) {
  const TSpeedRange range = SpeedRange(ModuleGeneration(module));
  const auto possible = [&range](std::uint32_t speed) {
    return speed >= range.Lowest && (range.Beyond == 0 || speed < range.Beyond);
  };
  TModuleSpeeds speeds;
  speeds.Rated = possible(module.Speed) ? module.Speed : 0;
  const std::int64_t running = module.ConfiguredClockSpeed, rated = speeds.Rated;
  if (running != 0 && rated != 0 && std::abs(2 * running - rated) <= 4) {
    speeds.Running = speeds.Rated;
    speeds.RunningIsClock = true;
  } else if (possible(module.ConfiguredClockSpeed)) {
    speeds.Running = module.ConfiguredClockSpeed;
  }
  return speeds;
}

bool RunsBelowRating(const TModuleFacts& module) {
  const TModuleSpeeds speeds = ReadSpeeds(module);
  const std::uint64_t running = speeds.Running, rated = speeds.Rated;
  return running != 0 && rated != 0 && running * 10 < rated * 9;
}

std::string ModuleTip(const TModuleFacts& module) {
  const TModuleSpeeds read = ReadSpeeds(module);
  const std::uint32_t running = read.Running, rated = read.Rated;
  std::string speeds;
  if (running != 0 && running == rated) {
    speeds = "Running at its rated " + MegaTransfers(rated) + ".";
  } else if (running != 0) {
    speeds = "Running at " + MegaTransfers(running) + (rated != 0 ? ", rated " + MegaTransfers(rated) : "") + ".";
  } else if (rated != 0) {
    speeds = "Rated " + MegaTransfers(rated) + ".";
  }
  const std::optional<bool> ecc = HasEcc(module);
  const int ranks = Ranks(module);
  std::string rest =
      Join({FormFactorName(module.FormFactor), BufferingName(module.TypeDetail), ecc ? (*ecc ? "ECC" : "no ECC") : "",
            ranks == 0 ? "" : std::to_string(ranks) + (ranks == 1 ? " rank" : " ranks"), ModuleVoltageText(module)});
  if (rest.empty()) return speeds;
  rest[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(rest[0])));
  return speeds + (speeds.empty() ? "" : " ") + rest + ".";
}

TSlotRows DetailRows(const TModuleFacts& module) {
  const std::optional<bool> ecc = HasEcc(module);
  const TModuleSpeeds speeds = ReadSpeeds(module);
  const TSlotRows all = {
      {"Running speed", speeds.Running != 0 ? MegaTransfers(speeds.Running) : ""},
      {"Rated speed", speeds.Rated != 0 ? MegaTransfers(speeds.Rated) : ""},
      {"Form factor", FormFactorName(module.FormFactor)},
      {"ECC", ecc ? (*ecc ? "yes" : "no") : ""},
      {"Ranks", Ranks(module) != 0 ? std::to_string(Ranks(module)) : ""},
      {"Buffering", BufferingName(module.TypeDetail)},
      {"Voltage", ModuleVoltageText(module)},
  };
  TSlotRows rows;
  for (const auto& row : all) {
    if (!row.second.empty()) rows.push_back(row);
  }
  return rows;
}

std::string BelowRatingSummary(const std::vector<TModuleFacts>& modules) {
  std::vector<std::string> slots;
  for (std::size_t i = 0; i < modules.size(); ++i) {
    if (!RunsBelowRating(modules[i])) continue;
    const std::string& name = modules[i].DeviceLocator;
    slots.push_back(name.empty() ? "module " + std::to_string(i + 1) : name);
  }
  if (slots.empty()) return "";
  return "Running more than 10% below the rated speed: " + Join(slots);
}

}  // namespace dimmscope
