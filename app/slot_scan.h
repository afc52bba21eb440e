// The slot scan as a model: what the main window shows after reading the
// memory arrays and modules (labels, four slot panels, window width) and the
// log lines written on the way. The window only applies it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/module_details.h"

namespace dimmscope {

class TWin32_PhysicalMemory;
class TWin32_PhysicalMemoryArray;

inline constexpr int kSlotPanels = 4;
// The rows of a slot list, in the order other commands read them by position.
inline constexpr std::array<const char*, 6> kSlotRowCaptions = {"Slot Name", "Capacity", "Manufacturer",
                                                                "Model",     "Type",     "Serial#"};
inline constexpr int kManufacturerRow = 2;
inline constexpr int kModelRow = 3;
inline constexpr int kTypeRow = 4;

// Fixed layout figures the narrowing uses (pixels).
struct TSlotLayout {
  int GeneralLeft = 2;
  int Slot1Left = 8;
  int Slot1Width = 361;
};

using TSlotRows = std::vector<std::pair<std::string, std::string>>;  // caption, value

// One slot panel. Every member is std::nullopt while the scan has not set
// it, so the control keeps the state it was created with (a scan that fails
// half-way changes only what it reached).
struct TSlotPanelModel {
  std::optional<bool> GroupEnabled;
  std::optional<TSlotRows> Rows;  // set when the list was filled
  // The module's Manufacturer text as reported, set with Rows: the
  // Manufacturer row shows its display name, the info tip its JEP106 maker.
  std::optional<std::string> Manufacturer;
  std::optional<bool> ListShown;
  std::optional<bool> GetRamShown;
  std::optional<bool> GetSpecShown;
  std::optional<bool> GetSpecEnabled;
};

struct TSlotScanModel {
  std::optional<std::string> SlotsText;   // slots_lbl
  std::optional<std::string> MaxMemText;  // maxmem_lbl
  std::optional<std::string> CurMemText;  // curmem_lbl
  std::optional<bool> MaxMemShown;
  std::optional<int> WindowWidth;  // outer width when the window narrows
  std::array<TSlotPanelModel, kSlotPanels> Panels;
  std::vector<std::string> LogLines;  // each logged at the Info level, in order
  // What the scan left out of its figures (also among the log lines).
  std::vector<std::string> Notes;
  // What could not be read, one a text: a class that could not be loaded
  // (the scan went on as if it had no instance), the exception that ended
  // the scan.
  std::vector<std::string> Errors;
  // The errors as one text, separated by "; "; none when all was read.
  std::optional<std::string> Error() const;
  // Every module read, in the query's order, the first four those of the panels.
  std::vector<TModuleFacts> Modules;
  // Whether Modules holds every module the class lists: not when its load
  // failed or the scan ended before the last one.
  bool ModulesComplete = false;
  // The indexes in Modules of those whose capacity is impossible (left out
  // of InstalledBytes and named in Notes).
  std::vector<std::size_t> ImpossibleCapacities;

  // Totals of the scan.
  std::uint16_t MostArrayDevices = 0;  // D: decides the enabled slot groups
  std::int64_t Slots = 0;
  std::int64_t MaxGB = 0;
  // The arrays' MaxCapacity summed, in bytes; unset when an array gives none
  // (0, Null) or SMBIOS's 80000000h "see the extended field", which WMI passes
  // on as 2 TB: the sum would understate or invent the maximum.
  std::optional<std::int64_t> MaximumBytes;
  std::int64_t InstalledBytes = 0;  // modules of impossible capacity left out
};

// Scans already loaded records. Never throws: a failure ends the scan and is
// returned in Error with everything reached so far.
TSlotScanModel ScanSlotModel(TWin32_PhysicalMemory& modules, TWin32_PhysicalMemoryArray& arrays,
                             const TSlotLayout& layout = TSlotLayout{});
// Creates both records (which query WMI) and scans them.
TSlotScanModel ScanSlotModel(const TSlotLayout& layout = TSlotLayout{});

// The three System Info. texts (slots, current and maximum memory) as the
// window shows them: a label the scan never reached keeps its text without a figure.
std::array<std::string, 3> SystemInfoTexts(const TSlotScanModel& model);

// Yes when the Model row, less surrounding white space, is not empty.
bool HasModel(const TSlotRows& rows);

// The panel content the export writes: the rows of a list and whether the
// list is shown.
struct TExportPanel {
  bool ListShown = true;
  TSlotRows Rows;
};
std::array<TExportPanel, kSlotPanels> ExportPanels(const TSlotScanModel& model);
// The export file's text: for each shown list a "[BANK k]" line and one line
// per row (caption, separator, value), an empty line before panels 2 to 4,
// "Empty" for a shown list without rows; CR LF after every line.
std::string ExportLayout(const std::array<TExportPanel, kSlotPanels>& panels, const std::string& separator);

}  // namespace dimmscope
