// Can this machine take more memory, and what fits? An answer in words built
// only from what the scan read (and, live, what the system reports of its
// memory): slots used and free, soldered memory, the firmware's maximum and
// whether it can be believed, what fits a free slot, modules that do not
// match, and memory installed against memory usable. Every line is said only
// when the data allows it; what is unknown is left out, never guessed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dimmscope {

struct TSlotScanModel;
struct TModuleFacts;

// What the running system reports of its memory; absent for an inventory file.
struct TLiveMemory {
  std::optional<std::uint64_t> FirmwareInstalledBytes;  // GetPhysicallyInstalledSystemMemory
  std::optional<std::uint64_t> UsableBytes;             // GlobalMemoryStatusEx's total
};

// What a module for a free slot must be, from the installed modules.
struct TFitsAdvice {
  std::string Generation;  // "DDR4"
  std::string FormFactor;  // "SODIMM"; "" when unknown
  std::string Buffering;   // "unbuffered", "registered", "load-reduced"; "" when unknown
  std::optional<bool> Ecc;
  std::string Voltage;      // as in the Type row's tip, "1.2 V"; "" when unknown
  std::uint32_t Speed = 0;  // MT/s the installed modules are rated for; 0 when unknown
};

struct TUpgradeAdvice {
  std::optional<std::int64_t> Slots;                 // the designed slot count
  std::optional<std::int64_t> Used;                  // every module reported, soldered ones included
  std::optional<std::int64_t> Soldered;              // of those, memory on the board
  std::optional<std::int64_t> Free;                  // Slots - Used, when not negative
  std::optional<std::int64_t> FirmwareMaximumBytes;  // the arrays' MaxCapacity summed
  std::optional<bool> MaximumBelowInstalled;
  std::optional<TFitsAdvice> Fits;    // set when a slot is free
  std::vector<std::string> Mismatch;  // of "size", "speed", "ranks", "voltage", "ecc", "buffering"
  std::vector<std::string> Lines;     // the sentences as shown
  std::string FreeSlotTip;            // one line for a free slot's button; "" when none
};

// Memory on the board: a bare chip package's form factor (SMD, BGA, TSOP...;
// WMI has no code for a row of chips or a die, see docs/upgrade_advice.md) or
// an LPDDR generation, which only comes soldered.
bool IsSoldered(const TModuleFacts& module);

TUpgradeAdvice UpgradeAdvice(const TSlotScanModel& model, const std::optional<TLiveMemory>& live = std::nullopt);

}  // namespace dimmscope
