// The slot scan model beyond what the report prints (tests/golden holds the
// labels, rows and export layout of every fixture): window width, the panels'
// groups, lists and buttons, the log lines and a scan that fails half-way.
#include "app/slot_scan.h"

#include <gtest/gtest.h>

#include <memory>

#include "app/upgrade_advice.h"
#include "tests/case_table.h"
#include "tests/fake_wmi_provider.h"
#include "wmi/inventory_file.h"
#include "wmi/replay_provider.h"

namespace dimmscope {
namespace {

TSlotScanModel Scan(const std::string& inventory) {
  auto parsed = std::make_shared<const TInventory>(
      inventory[0] == '[' ? ParseInventory(inventory, "case") : LoadInventoryFile(testing::FixturePath(inventory)));
  TScopedWmiLocatorFactory scope(MakeReplayLocatorFactory(parsed));
  return ScanSlotModel();
}

// An upper-case letter for yes, lower case for no, '?' for never set.
char Flag(const std::optional<bool>& value, char letter) {
  return !value ? '?' : *value ? letter : static_cast<char>(letter - 'A' + 'a');
}

std::string Summary(const TSlotScanModel& m) {
  std::string text = (m.WindowWidth ? std::to_string(*m.WindowWidth) : "-") + " " + Flag(m.MaxMemShown, 'M');
  for (const auto& p : m.Panels) {
    text += std::string(" ") + Flag(p.GroupEnabled, 'G') + Flag(p.ListShown, 'L') + Flag(p.GetRamShown, 'R') +
            Flag(p.GetSpecShown, 'S') + Flag(p.GetSpecEnabled, 'E') + (p.Rows ? "" : "-");
  }
  return text + " " + std::to_string(m.LogLines.size()) + (m.Error() ? " error" : "");
}

TEST(SlotScan, Table) {
  for (const auto& c : testing::CaseTable("slot_scan.txt")) {
    const TSlotScanModel m = Scan(c[0]);
    EXPECT_EQ(Summary(m), c[1]) << c.Where;
    if (c.Fields.size() > 2) {
      EXPECT_EQ(m.CurMemText.value_or("-"), c[2]) << c.Where;
    }
  }
}

TEST(SlotScan, LogLinesShowTheRawValuesBesideTheShownOnes) {
  const TSlotScanModel m = Scan("scan/odd_values.ini");
  std::string log;
  for (const auto& line : m.LogLines) log += line + "|";
  EXPECT_EQ(log.substr(0, log.find("|1\t")),
            "Scanning slot #0|0\tSlot Name\tSODIMM;1\tA|0\tCapacity\t0 GB|0\tManufacturer\tN/A (Manufacturer00)|"
            "0\tModel\tPN;WITH;SEMICOLONS|0\tType\t21|0\tSpeed\t667|0\tType\tDDR2 / PC2-5336|0\tSerial#\t\xC9T\xC9|"
            "Scanning slot #1");
}

// The advice in short: slots/used/soldered/free, the maximum, what fits, the mismatches.
std::string AdviceSummary(const TUpgradeAdvice& a) {
  const auto n = [](const std::optional<std::int64_t>& v) { return v ? std::to_string(*v) : std::string("-"); };
  std::string text = n(a.Slots) + "/" + n(a.Used) + "/" + n(a.Soldered) + "/" + n(a.Free) +
                     " max=" + n(a.FirmwareMaximumBytes) + (a.MaximumBelowInstalled.value_or(false) ? " below" : "") +
                     " fits=";
  const auto& f = a.Fits;
  text += f ? f->Generation + "," + f->FormFactor + "," + f->Buffering + "," + (f->Ecc ? *f->Ecc ? "ecc" : "no" : "") +
                  "," + f->Voltage + "," + std::to_string(f->Speed)
            : "-";
  for (const auto& m : a.Mismatch) text += " " + m;
  return text;
}

// Inventory | live figures (firmware's installed and usable bytes, "-" for
// none) or "-" | summary | the lines joined by \n | the free slot's tip.
TEST(UpgradeAdvice, Table) {
  for (const auto& c : testing::CaseTable("upgrade_advice.txt", '|')) {
    std::optional<TLiveMemory> live;
    if (c[1] != "-") {
      const auto figure = [](const std::string& v) {
        return v == "-" ? std::nullopt : std::optional<std::uint64_t>(std::stoull(v));
      };
      live = TLiveMemory{figure(c[1].substr(0, c[1].find(' '))), figure(c[1].substr(c[1].find(' ') + 1))};
    }
    const TUpgradeAdvice a = UpgradeAdvice(Scan(c[0]), live);
    std::string lines;
    for (const auto& line : a.Lines) lines += (lines.empty() ? "" : "\n") + line;
    EXPECT_EQ(AdviceSummary(a), c[2]) << c.Where;
    EXPECT_EQ(lines, c[3]) << c.Where;
    EXPECT_EQ(a.FreeSlotTip, c[4]) << c.Where;
  }
}

TEST(ExportLayout, GapsAndShownListsWithoutRows) {
  std::array<TExportPanel, kSlotPanels> panels;
  panels[0].ListShown = panels[3].ListShown = false;
  panels[1].Rows = {{"Slot Name", "B"}, {"Model", "x;y"}};
  EXPECT_EQ(ExportLayout(panels, ";"), "\r\n[BANK 2]\r\nSlot Name;B\r\nModel;x;y\r\n\r\n[BANK 3]\r\nEmpty\r\n");
}

}  // namespace
}  // namespace dimmscope
