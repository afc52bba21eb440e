// Upgrade advice in words, from the scan's model and, live, the system's own
// memory figures. Firmware figures are often wrong: each is checked before it
// is read, and a figure that fails the check makes its line say nothing.
#include "app/upgrade_advice.h"

#include <algorithm>
#include <iterator>
#include <set>

#include "app/slot_scan.h"
#include "support/text_helpers.h"

namespace dimmscope {
namespace {

constexpr std::uint64_t kKB = 1024, kMB = kKB * 1024, kGB = kMB * 1024, kTB = kGB * 1024;

// WMI FormFactor codes of a bare chip package, which sits soldered on the
// board: SOJ (5), TSOP (9), SMD (14), SSMP (15), QFP (16), TQFP (17),
// SOIC (18), LCC (19), BGA (21), FPBGA (22). Win32_PhysicalMemory's values
// (CIM_Chip's enumeration) have no "Row of chips", "Chip" or "Die", the
// SMBIOS form factors 0Bh, 05h and 10h, which the SMBIOS provider therefore
// hands on as SMD. Packages that also come in sockets (DIP, ZIP, SIP, PGA,
// PLCC, LGA) say nothing. docs/upgrade_advice.md lists the sources.
constexpr std::uint16_t kSolderedFormFactors[] = {5, 9, 14, 15, 16, 17, 18, 19, 21, 22};

// Firmware storage a memory array may list beside the memory: ROM (WMI 10,
// SMBIOS 08h), Flash (11, 09h), EEPROM (12, 0Ah), FEPROM (13, 0Bh),
// EPROM (14, 0Ch). It fills a device of its own one-device array, not a slot.
bool IsFirmwareStorage(const TModuleFacts& m) {
  return (m.MemoryType >= 10 && m.MemoryType <= 14) || (m.SMBIOSMemoryType >= 0x08 && m.SMBIOSMemoryType <= 0x0C);
}

// Part numbers that name no part: empty, or a firmware's placeholder.
constexpr const char* kNoPart[] = {"Not Specified", "Unknown", "N/A", "None", "To Be Filled By O.E.M."};

std::string PartNumber(const TModuleFacts& m) {
  const std::string part = TrimControls(m.PartNumber);
  for (const char* placeholder : kNoPart) {
    if (SameText(part, placeholder)) return "";
  }
  return SameText(part.substr(0, 7), "PartNum") ? "" : part;
}

// A size in words: "16 GB", "15.8 GB", "512 MB", "2 TB", one decimal at most.
std::string SizeText(std::uint64_t bytes) {
  const struct {
    std::uint64_t Unit;
    const char* Name;
  } units[] = {{kTB, " TB"}, {kGB, " GB"}, {kMB, " MB"}, {kKB, " KB"}, {1, " bytes"}};
  for (const auto& u : units) {
    if (bytes < u.Unit && u.Unit != 1) continue;
    const std::uint64_t tenths = (bytes * 10 + u.Unit / 2) / u.Unit;  // below 2^57 for any bytes under 2^53
    const std::string whole = std::to_string(tenths / 10);
    return (tenths % 10 == 0 ? whole : whole + "." + std::to_string(tenths % 10)) + u.Name;
  }
  return "";
}

std::string Plural(std::int64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// "a", "a and b", "a, b and c".
std::string List(const std::vector<std::string>& items) {
  std::string text;
  for (std::size_t i = 0; i < items.size(); ++i) {
    text += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
  }
  return text;
}

std::string Speed(std::uint32_t speed) { return std::to_string(speed) + " MT/s"; }

// One value all `modules` agree on, read by `value`; `unknown` when any of
// them does not tell or they differ.
template <typename T, typename F>
T Common(const std::vector<const TModuleFacts*>& modules, F value, T unknown) {
  if (modules.empty()) return unknown;
  const T first = value(*modules.front());
  for (const TModuleFacts* m : modules) {
    if (value(*m) == unknown || value(*m) != first) return unknown;
  }
  return first;
}

struct TMemory {
  std::vector<const TModuleFacts*> All;        // every memory module, soldered ones included
  std::vector<const TModuleFacts*> Socketed;   // modules in slots
  std::vector<const TModuleFacts*> Soldered;   // memory on the board
  std::int64_t FirmwareStorage = 0;            // ROM and flash devices left out
  std::uint64_t Bytes = 0, SolderedBytes = 0;  // capacities within the scan's bound
};

TMemory SortModules(const TSlotScanModel& model) {
  TMemory memory;
  for (const TModuleFacts& m : model.Modules) {
    if (IsFirmwareStorage(m)) {
      ++memory.FirmwareStorage;
      continue;
    }
    // The scan left capacities outside 0 to 4 PiB out of its total.
    const std::uint64_t bytes =
        m.Capacity > 0 && m.Capacity <= (1LL << 52) ? static_cast<std::uint64_t>(m.Capacity) : 0;
    memory.All.push_back(&m);
    memory.Bytes += bytes;
    if (IsSoldered(m)) {
      memory.Soldered.push_back(&m);
      memory.SolderedBytes += bytes;
    } else {
      memory.Socketed.push_back(&m);
    }
  }
  return memory;
}

std::string FitsText(const TFitsAdvice& fits) {
  std::string noun = fits.Generation;
  noun += (noun.empty() ? "" : " ") + (fits.FormFactor.empty() ? std::string("module") : fits.FormFactor);
  if (noun == "module") noun = "a module";
  std::vector<std::string> parts = {noun};
  if (!fits.Buffering.empty()) parts.push_back(fits.Buffering);
  if (fits.Ecc) parts.push_back(*fits.Ecc ? "with ECC" : "without ECC");
  if (!fits.Voltage.empty()) parts.push_back(fits.Voltage);
  if (fits.Speed != 0) parts.push_back("rated " + Speed(fits.Speed));
  std::string text;
  for (const auto& part : parts) text += (text.empty() ? "" : ", ") + part;
  return text;
}

std::optional<TFitsAdvice> Fits(const TMemory& memory) {
  // A free slot takes what its neighbours are; with only soldered memory
  // beside it, only what a soldered chip shares with a module: not its form
  // factor, and nothing of an LPDDR generation, which no module has.
  const bool onlySoldered = memory.Socketed.empty();
  const std::vector<const TModuleFacts*>& from = onlySoldered ? memory.Soldered : memory.Socketed;
  if (from.empty()) return std::nullopt;
  TFitsAdvice fits;
  fits.Generation = Common(from, ModuleGeneration, std::string());
  if (onlySoldered && fits.Generation.rfind("LPDDR", 0) == 0) return std::nullopt;
  fits.Ecc = Common(from, HasEcc, std::optional<bool>());
  fits.Voltage = Common(from, ModuleVoltageText, std::string());
  fits.Speed = Common(
      from, [](const TModuleFacts& m) { return ReadSpeeds(m).Rated; }, 0u);
  if (fits.Speed == 0) {
    // Modules of different ratings: the slowest sets the speed for all.
    std::uint32_t slowest = 0;
    bool allKnown = true;
    for (const TModuleFacts* m : from) {
      const std::uint32_t rated = ReadSpeeds(*m).Rated;
      allKnown = allKnown && rated != 0;
      if (slowest == 0 || (rated != 0 && rated < slowest)) slowest = rated;
    }
    fits.Speed = allKnown ? slowest : 0;
  }
  if (!onlySoldered) {
    fits.FormFactor = Common(
        from, [](const TModuleFacts& m) { return FormFactorName(m.FormFactor); }, std::string());
    fits.Buffering = Common(
        from, [](const TModuleFacts& m) { return BufferingName(m.TypeDetail); }, std::string());
  }
  const bool known = !fits.Generation.empty() || !fits.FormFactor.empty() || !fits.Buffering.empty() || fits.Ecc ||
                     !fits.Voltage.empty() || fits.Speed != 0;
  return known ? std::optional<TFitsAdvice>(fits) : std::nullopt;
}

// The distinct values the modules tell of one property, in ascending order.
template <typename T, typename F>
std::vector<T> Distinct(const std::vector<const TModuleFacts*>& modules, F value, T unknown) {
  std::set<T> seen;
  for (const TModuleFacts* m : modules) {
    const T v = value(*m);
    if (v != unknown) seen.insert(v);
  }
  return std::vector<T>(seen.begin(), seen.end());
}

template <typename T, typename F>
std::vector<std::string> Texts(const std::vector<T>& values, F text) {
  std::vector<std::string> texts;
  for (const T& v : values) texts.push_back(text(v));
  return texts;
}

void MismatchLines(const TMemory& memory, TUpgradeAdvice& advice) {
  const auto& all = memory.All;
  const auto add = [&advice](const char* key, const std::string& line) {
    advice.Mismatch.push_back(key);
    advice.Lines.push_back(line);
  };
  const auto sizes = Distinct(
      all, [](const TModuleFacts& m) { return m.Capacity > 0 ? m.Capacity : 0; }, 0LL);
  if (sizes.size() > 1) {
    add("size", "Sizes differ (" +
                    List(Texts(sizes, [](long long b) { return SizeText(static_cast<std::uint64_t>(b)); })) +
                    "): only part of the memory runs in two channels, the rest in one.");
  }
  const auto speeds = Distinct(
      all, [](const TModuleFacts& m) { return ReadSpeeds(m).Rated; }, 0u);
  if (speeds.size() > 1) {
    add("speed", "Rated speeds differ (" + List(Texts(speeds, Speed)) +
                     "): all modules run at the slowest one's speed, " + Speed(speeds.front()) + " at most.");
  }
  const auto ranks = Distinct(all, Ranks, 0);
  if (ranks.size() > 1) {
    add("ranks", "Rank counts differ (" + List(Texts(ranks, [](int r) { return std::to_string(r); })) +
                     "): the board may set slower timings or a lower speed to suit them all.");
  }
  const auto voltages = Distinct(all, ModuleVoltageText, std::string());
  if (voltages.size() > 1) {
    add("voltage", "Voltages differ (" + List(voltages) +
                       "): the board gives every module the same voltage, which must suit each of them.");
  }
  if (Distinct(all, HasEcc, std::optional<bool>()).size() > 1) {
    add("ecc",
        "ECC and non-ECC modules are mixed: they do not work together; ECC works only when every module has it.");
  }
  const auto buffering = Distinct(
      all, [](const TModuleFacts& m) { return BufferingName(m.TypeDetail); }, std::string());
  if (buffering.size() > 1) {
    add("buffering", "Buffering differs (" + List(buffering) + "): such modules do not work together.");
  }
}

// The module most likely to pair with an installed one: one whose kind
// (size, rating, part) lacks a partner, else the first.
std::string PairLine(const TMemory& memory) {
  const char* const kLikely = " (likely, not certain: only a driver can read the channel layout).";
  if (memory.Socketed.empty()) {
    // No module pairs with LPDDR, which only comes soldered.
    const bool lowPower = Common(memory.Soldered, ModuleGeneration, std::string()).rfind("LPDDR", 0) == 0;
    if (memory.SolderedBytes == 0 || lowPower) return "";
    const std::uint32_t speed = Common(
        memory.Soldered, [](const TModuleFacts& m) { return ReadSpeeds(m).Rated; }, 0u);
    return "Best pairing: a module like the soldered memory, " + SizeText(memory.SolderedBytes) +
           (speed != 0 ? ", " + Speed(speed) : "") + kLikely;
  }
  const auto kind = [](const TModuleFacts& m) {
    return std::to_string(m.Capacity) + "/" + std::to_string(ReadSpeeds(m).Rated) + "/" + PartNumber(m);
  };
  const auto& socketed = memory.Socketed;
  const TModuleFacts* alone = socketed.front();
  std::size_t same = 0;
  for (const TModuleFacts* m : socketed) {
    same = static_cast<std::size_t>(
        std::count_if(socketed.begin(), socketed.end(), [&](const TModuleFacts* o) { return kind(*o) == kind(*m); }));
    if (same % 2 == 1) {
      alone = m;
      break;
    }
  }
  if (alone->Capacity <= 0) return "";
  std::string slot = TrimControls(alone->DeviceLocator);
  // A tab or line break inside would break the line it goes into.
  std::replace_if(
      slot.begin(), slot.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, ' ');
  const std::uint32_t speed = ReadSpeeds(*alone).Rated;
  const std::string part = PartNumber(*alone);
  const std::string which = same == socketed.size() && same > 1 ? "the installed ones"
                            : slot.empty()                      ? "the installed one"
                                                                : "the one in " + slot;
  return "Best pairing: a module like " + which + ", " + SizeText(static_cast<std::uint64_t>(alone->Capacity)) +
         (speed != 0 ? ", " + Speed(speed) : "") + (part.empty() ? "" : ", part number " + part) + kLikely;
}

std::string LiveLine(const TMemory& memory, const TLiveMemory& live) {
  const std::uint64_t installed = live.FirmwareInstalledBytes.value_or(memory.Bytes);
  // Past 4 PiB (52 address bits) a figure is no memory, and its sums overflow.
  if (installed == 0 || installed > (1ULL << 52) || !live.UsableBytes || *live.UsableBytes == 0 ||
      *live.UsableBytes > installed)
    return "";
  const std::uint64_t usable = *live.UsableBytes;
  std::string line = SizeText(installed) + " installed, " + SizeText(usable) + " usable";
  // Without the firmware's figure the system's own share is in the gap too.
  const char* const by = live.FirmwareInstalledBytes ? " reserved by hardware" : " reserved by hardware and the system";
  // Said in tenths of a GB like the figures beside it, unless that is 0.
  const std::uint64_t reserved = installed - usable, tenths = (reserved * 10 + kGB / 2) / kGB;
  const std::string part = installed < kGB || tenths == 0
                               ? SizeText(reserved)
                               : std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " GB";
  line += installed > usable ? ": " + part + by + "." : ".";
  if (live.FirmwareInstalledBytes && memory.Bytes != 0 && memory.Bytes != installed) {
    line += " The modules add up to " + SizeText(memory.Bytes) + ".";
  }
  return line;
}

}  // namespace

bool IsSoldered(const TModuleFacts& module) {
  if (ModuleGeneration(module).rfind("LPDDR", 0) == 0) return true;  // no LPDDR module exists
  return std::find(std::begin(kSolderedFormFactors), std::end(kSolderedFormFactors), module.FormFactor) !=
         std::end(kSolderedFormFactors);
}

TUpgradeAdvice UpgradeAdvice(const TSlotScanModel& model, const std::optional<TLiveMemory>& live) {
  TUpgradeAdvice advice;
  const TMemory memory = SortModules(model);
  const auto used = static_cast<std::int64_t>(memory.All.size());
  const auto soldered = static_cast<std::int64_t>(memory.Soldered.size());
  advice.Used = used;
  advice.Soldered = soldered;

  // Slots. A count of 0, or one below the modules it holds, is no count.
  const std::int64_t slots = model.Slots - memory.FirmwareStorage;
  if (model.Slots > 0 && slots > 0 && slots >= used && used == 0) {
    // A running machine holds memory: a firmware that lists none leaves
    // unknown which slots are free.
    advice.Slots = slots;
    advice.Lines.push_back("The firmware gives " + Plural(slots, "slot", "slots") +
                           " but lists no module: which slots are free is unknown.");
  } else if (model.Slots > 0 && slots > 0 && slots >= used) {
    advice.Slots = slots;
    advice.Free = slots - used;
    const std::int64_t sockets = slots - soldered, inUse = used - soldered;
    if (sockets > 0) {
      advice.Lines.push_back(std::to_string(inUse) + " of " + Plural(sockets, "slot", "slots") + " in use, " +
                             (*advice.Free == 0 ? std::string("none") : std::to_string(*advice.Free)) + " free.");
    }
    if (soldered > 0) {
      advice.Lines.push_back(sockets > 0 ? "Besides, " + SizeText(memory.SolderedBytes) +
                                               " is soldered to the board and cannot be changed."
                                         : "All memory, " + SizeText(memory.SolderedBytes) +
                                               ", is soldered to the board: it cannot be changed or added to.");
    }
  } else if (model.Slots > 0) {
    advice.Lines.push_back("The firmware gives " + Plural(model.Slots, "slot", "slots") + " for " +
                           Plural(used, "module", "modules") + ": that count is wrong, so free slots are unknown.");
  } else if (used > 0) {
    advice.Lines.push_back("The firmware gives no slot count, so free slots are unknown.");
  }

  // Maximum.
  if (model.MaximumBytes && *model.MaximumBytes > 0) {
    const auto maximum = static_cast<std::uint64_t>(*model.MaximumBytes);
    advice.FirmwareMaximumBytes = *model.MaximumBytes;
    advice.MaximumBelowInstalled = *model.MaximumBytes < model.InstalledBytes;
    if (*advice.MaximumBelowInstalled) {
      advice.Lines.push_back("The firmware gives a maximum of " + SizeText(maximum) + ", less than the " +
                             SizeText(static_cast<std::uint64_t>(model.InstalledBytes)) +
                             " installed: that figure is wrong; the board's manual has the true maximum.");
    } else {
      std::string line = "The firmware gives a maximum of " + SizeText(maximum);
      // Per slot only where every slot is a socket and the share holds the
      // largest module installed.
      std::int64_t largest = 0;
      for (const TModuleFacts* m : memory.All) largest = std::max(largest, m->Capacity);
      // The share is said only when whole gigabytes divide evenly (a ROM
      // array's megabyte aside): 32 GB over 6 slots is no per-slot figure.
      const std::uint64_t gigabytes = maximum / kGB;
      if (advice.Slots && *advice.Slots > 1 && soldered == 0 && gigabytes > 0) {
        const auto slotCount = static_cast<std::uint64_t>(*advice.Slots);
        const std::uint64_t perSlot = gigabytes / slotCount * kGB;
        if (gigabytes % slotCount == 0 && perSlot >= static_cast<std::uint64_t>(largest)) {
          line += ", " + SizeText(perSlot) + " a slot";
        }
      }
      advice.Lines.push_back(line + ".");
    }
  }

  // What fits a free slot, and what pairs with an installed module.
  if (advice.Free && *advice.Free > 0) {
    advice.Fits = Fits(memory);
    if (advice.Fits) {
      const TFitsAdvice& fits = *advice.Fits;
      advice.Lines.push_back("For a free slot: " + FitsText(fits) + ".");
      advice.FreeSlotTip = "Fits this slot: " + FitsText(fits) + ".";
      // The installed modules' running speed, where all are read, is the one
      // a faster module is held to.
      const std::uint32_t running = Common(
          memory.All, [](const TModuleFacts& m) { return ReadSpeeds(m).Running; }, 0u);
      if (fits.Speed != 0) {
        const std::string slower =
            "A faster module works too, but runs at " + (running != 0 && running < fits.Speed
                                                             ? Speed(running) + ", as the installed ones do."
                                                             : Speed(fits.Speed) + ".");
        advice.Lines.push_back(slower);
        advice.FreeSlotTip += " " + slower;
      }
      if (!fits.Buffering.empty()) {
        advice.Lines.push_back("Registered and unbuffered modules never mix: take " +
                               std::string(fits.Buffering == "unbuffered" ? "an " : "a ") + fits.Buffering + " one.");
      }
      if (fits.Ecc) {
        advice.Lines.push_back(std::string("ECC and non-ECC modules do not mix: take one ") +
                               (*fits.Ecc ? "with" : "without") + " ECC.");
      }
    }
    if (!advice.Fits) advice.FreeSlotTip = "A free slot; no installed module tells what fits it.";
    const std::string pair = PairLine(memory);
    if (!pair.empty()) advice.Lines.push_back(pair);
  }

  if (memory.All.size() > 1) MismatchLines(memory, advice);

  if (live) {
    const std::string line = LiveLine(memory, *live);
    if (!line.empty()) advice.Lines.push_back(line);
  }
  // The dialog and the report never show an empty answer.
  if (advice.Lines.empty()) advice.Lines.push_back("The firmware tells too little of the memory for any advice.");
  return advice;
}

}  // namespace dimmscope
