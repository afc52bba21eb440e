// What a module's record says beyond the six rows of its slot panel: the
// speed it runs at against its rating, form factor, ECC, ranks, buffering
// and voltage, put into plain words for the Type row's info tip and the
// report's details. A value of 0 is unknown throughout (WMI's Null, a
// firmware's "not known"), and an unknown value is left out, never shown as 0.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace dimmscope {

class TWin32_PhysicalMemory;

using TSlotRows = std::vector<std::pair<std::string, std::string>>;  // caption, value

// One module as the scan read it: the rows its panel shows (or would show,
// past the fourth module) and the record's values behind them.
struct TModuleFacts {
  TSlotRows Rows;
  std::string BankLabel;
  std::string DeviceLocator;
  std::string Manufacturer;  // raw text
  std::string PartNumber;
  std::string SerialNumber;
  std::int64_t Capacity = 0;  // bytes
  std::uint16_t MemoryType = 0;
  std::uint16_t SMBIOSMemoryType = 0;
  std::uint16_t FormFactor = 0;            // WMI code (8 = DIMM, 12 = SODIMM)
  std::uint16_t TotalWidth = 0;            // bits, check bits included
  std::uint16_t DataWidth = 0;             // bits
  std::uint16_t TypeDetail = 0;            // SMBIOS bit field (2000h registered, 4000h unbuffered)
  std::uint32_t Speed = 0;                 // MT/s, the rating
  std::uint32_t ConfiguredClockSpeed = 0;  // MT/s, running
  std::uint32_t Attributes = 0;            // bits 0-3: ranks
  std::uint32_t ConfiguredVoltage = 0;     // millivolts
  std::uint32_t MinVoltage = 0;            // millivolts
  std::uint32_t MaxVoltage = 0;            // millivolts
};

TModuleFacts ModuleFacts(const TWin32_PhysicalMemory& module, TSlotRows rows);

// The single facts, each unknown when the record does not tell.
std::string FormFactorName(std::uint16_t formFactor);    // "DIMM", "SODIMM", ...; "" when unknown or "Other"
std::string BufferingName(std::uint16_t typeDetail);     // "registered", "unbuffered", "load-reduced" or ""
std::optional<bool> HasEcc(const TModuleFacts& module);  // a total width wider than the data width
int Ranks(const TModuleFacts& module);                   // 0 when unknown
std::string VoltageText(std::uint32_t millivolts);       // "1.2 V"; "" for 0
// The configured voltage, else the range from the minimum to the maximum.
std::string ModuleVoltageText(const TModuleFacts& module);
// The DDR generation the module's type codes name ("DDR4", "LPDDR5",
// "DDR2 FB-DIMM"...), never guessed from a speed; "" when they name none.
std::string ModuleGeneration(const TModuleFacts& module);

// A module's speeds read as data rates (MT/s), 0 when the firmware's figure is
// none. Much firmware writes the memory clock, half the data rate, where a
// running data rate belongs (the field was once named a clock speed), and
// some writes figures no module of its generation can run at:
// - a running figure within 2 MT/s of half the rating is that clock: the
//   module runs at its rating;
// - below the lowest JEDEC data rate of the generation (DDR 200, DDR2 400,
//   DDR3 800, DDR4 1600, DDR5 3200) a figure is no data rate: unknown. The
//   LPDDR generations and unnamed types have no such floor;
// - for the generations no longer made, a figure above any module ever sold
//   (DDR 800, DDR2 1600, DDR3 3400 and up) is no data rate either.
// Every speed shown, flagged or written as JSON goes through this reading;
// the Type row keeps the firmware's own rating.
struct TModuleSpeeds {
  std::uint32_t Running = 0;
  std::uint32_t Rated = 0;
  bool RunningIsClock = false;  // the firmware gave half the running data rate
};
TModuleSpeeds ReadSpeeds(const TModuleFacts& module);
// Both speeds known and the running one more than 10% below the rating.
bool RunsBelowRating(const TModuleFacts& module);

// The Type row's info tip: "Running at 2133 MT/s, rated 3200 MT/s. DIMM,
// unbuffered, no ECC, 2 ranks, 1.2 V." with what is unknown left out; empty
// when nothing is known.
std::string ModuleTip(const TModuleFacts& module);
// The report's detail rows for one module (caption, value), unknown ones left out.
TSlotRows DetailRows(const TModuleFacts& module);
// The report's closing line naming the slots that run more than 10% below
// their rating; empty when none does.
std::string BelowRatingSummary(const std::vector<TModuleFacts>& modules);

}  // namespace dimmscope
