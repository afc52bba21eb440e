// The slot scan model: labels, panels, buttons, narrowing and log lines, and
// the export layout built from it.
#include "app/slot_scan.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/fake_wmi_provider.h"
#include "wmi/inventory_file.h"
#include "wmi/replay_provider.h"

namespace dimmscope {
namespace {

std::string Array(int devices, std::int64_t maxKB) {
  return "[Win32_PhysicalMemoryArray]\nMemoryDevices = " + std::to_string(devices) +
         "\nMaxCapacity = " + std::to_string(maxKB) + "\n";
}

std::string Module(const std::string& locator, std::int64_t gib, const std::string& maker = "Samsung",
                   const std::string& part = "M378A1K43CB2-CTD", int type = 26, int speed = 2666) {
  return "[Win32_PhysicalMemory]\nDeviceLocator = \"" + locator + "\"\nCapacity = \"" +
         std::to_string(gib * 1024 * 1024 * 1024) + "\"\nManufacturer = \"" + maker + "\"\nPartNumber = \"" + part +
         "\"\nMemoryType = " + std::to_string(type) + "\nSpeed = " + std::to_string(speed) + "\nSerialNumber = \"SN-" +
         locator + "\"\n";
}

TSlotScanModel ScanText(const std::string& inventory) {
  auto inv = std::make_shared<const TInventory>(ParseInventory(inventory, "test.ini"));
  TScopedWmiLocatorFactory scope(MakeReplayLocatorFactory(inv));
  return ScanSlotModel();
}

constexpr std::int64_t k32GBinKB = 32LL * 1048576;

TEST(SlotScan, OneModuleInTwoSlots) {
  const TSlotScanModel m = ScanText(Array(2, k32GBinKB) + Module("DIMM1", 8));
  ASSERT_FALSE(m.Error);
  EXPECT_EQ(*m.SlotsText, "Number of slots : 2");
  EXPECT_EQ(*m.MaxMemText, "Maximum memory : 32 GB");
  EXPECT_EQ(*m.CurMemText, "Current memory : 8 GB");
  EXPECT_TRUE(*m.MaxMemShown);
  EXPECT_EQ(m.WindowWidth, 387);
  const auto& p = m.Panels;
  EXPECT_TRUE(*p[0].GroupEnabled && *p[1].GroupEnabled);
  EXPECT_FALSE(*p[2].GroupEnabled || *p[3].GroupEnabled);
  EXPECT_TRUE(*p[0].ListShown);
  EXPECT_FALSE(*p[1].ListShown || *p[2].ListShown || *p[3].ListShown);
  EXPECT_FALSE(*p[0].GetRamShown);
  EXPECT_TRUE(*p[1].GetRamShown);
  EXPECT_FALSE(*p[2].GetRamShown || *p[3].GetRamShown);  // disabled groups offer nothing
  EXPECT_TRUE(*p[0].GetSpecShown && *p[0].GetSpecEnabled);
  EXPECT_FALSE(*p[1].GetSpecShown || *p[2].GetSpecShown || *p[3].GetSpecShown);
  EXPECT_EQ(*p[0].Rows, (TSlotRows{{"Slot Name", "DIMM1"},
                                   {"Capacity", "8 GB"},
                                   {"Manufacturer", "Samsung"},
                                   {"Model", "M378A1K43CB2-CTD"},
                                   {"Type", "DDR4 / PC4-21328"},
                                   {"Serial#", "SN-DIMM1"}}));
  EXPECT_EQ(m.LogLines,
            (std::vector<std::string>{"Scanning slot #0", "0\tSlot Name\tDIMM1", "0\tCapacity\t8 GB",
                                      "0\tManufacturer\tSamsung (Samsung)", "0\tModel\tM378A1K43CB2-CTD", "0\tType\t26",
                                      "0\tSpeed\t2666", "0\tType\tDDR4 / PC4-21328", "0\tSerial#\tSN-DIMM1"}));
}

TEST(SlotScan, NoModules) {
  const TSlotScanModel m = ScanText(Array(4, k32GBinKB));
  EXPECT_EQ(*m.CurMemText, "Current memory : 0 GB");
  EXPECT_FALSE(m.WindowWidth);
  for (const auto& panel : m.Panels) {
    EXPECT_FALSE(*panel.ListShown);
    EXPECT_TRUE(*panel.GetRamShown);
    EXPECT_FALSE(*panel.GetSpecShown);
    EXPECT_FALSE(*panel.GetSpecEnabled);
    EXPECT_FALSE(panel.Rows);
  }
  EXPECT_TRUE(m.LogLines.empty());
}

TEST(SlotScan, NoArray) {
  const TSlotScanModel m = ScanText(Module("DIMM1", 4));
  EXPECT_EQ(*m.SlotsText, "Number of slots : 0");
  EXPECT_EQ(*m.MaxMemText, "Maximum memory : 0 GB");
  EXPECT_EQ(m.WindowWidth, 387);
  EXPECT_FALSE(*m.MaxMemShown);  // 4 GB installed exceeds the 0 GB maximum
  for (const auto& panel : m.Panels) EXPECT_FALSE(*panel.GroupEnabled);
  // The module still fills its list, inside a disabled group.
  EXPECT_TRUE(*m.Panels[0].ListShown);
  EXPECT_TRUE(*m.Panels[0].GetSpecShown);
}

TEST(SlotScan, SixModulesShowFourAndCountAll) {
  std::string inv = Array(6, 64 * 1048576);
  for (int i = 0; i < 6; ++i) inv += Module("D" + std::to_string(i), 16);
  const TSlotScanModel m = ScanText(inv);
  EXPECT_EQ(*m.CurMemText, "Current memory : 96 GB");
  EXPECT_FALSE(*m.MaxMemShown);  // 96 > 64
  EXPECT_EQ(m.LogLines.size(), 36u);
  EXPECT_EQ(m.LogLines.back(), "3\tSerial#\tSN-D3");
  for (int k = 0; k < 4; ++k) {
    EXPECT_TRUE(*m.Panels[k].ListShown);
    EXPECT_EQ((*m.Panels[k].Rows)[0].second, "D" + std::to_string(k));
  }
}

TEST(SlotScan, FourModulesButTwoDevices) {
  std::string inv = Array(2, k32GBinKB);
  for (int i = 0; i < 4; ++i) inv += Module("D" + std::to_string(i), 4);
  const TSlotScanModel m = ScanText(inv);
  EXPECT_EQ(m.WindowWidth, 387);
  EXPECT_FALSE(*m.Panels[2].GroupEnabled);
  EXPECT_TRUE(*m.Panels[2].ListShown);
  EXPECT_TRUE(*m.Panels[3].ListShown);
  EXPECT_TRUE(*m.Panels[3].GetSpecShown);
  EXPECT_FALSE(*m.Panels[3].GetRamShown);
}

TEST(SlotScan, TwoArraysAddUpAndTheLastDecidesTheGroups) {
  const TSlotScanModel m = ScanText(Array(2, 3 * 1048576 + 1048575) + Array(4, 1048576) + Module("A", 1));
  EXPECT_EQ(*m.SlotsText, "Number of slots : 6");
  EXPECT_EQ(*m.MaxMemText, "Maximum memory : 4 GB");  // each array rounded down on its own
  EXPECT_FALSE(m.WindowWidth);
  for (const auto& panel : m.Panels) EXPECT_TRUE(*panel.GroupEnabled);
  EXPECT_EQ(m.LastArrayDevices, 4);
}

TEST(SlotScan, UnknownMakerHidesModelAndSerialButNotTheButton) {
  const TSlotScanModel m = ScanText(Array(2, k32GBinKB) + Module("DIMM1", 2, "Manufacturer00", "PART-1"));
  const TSlotRows& rows = *m.Panels[0].Rows;
  EXPECT_EQ(rows[2].second, "N/A");
  EXPECT_EQ(rows[3].second, "N/A");
  EXPECT_EQ(rows[5].second, "N/A");
  EXPECT_TRUE(*m.Panels[0].GetSpecEnabled);  // "N/A" is a model text
  EXPECT_EQ(m.LogLines[3], "0\tManufacturer\tN/A (Manufacturer00)");
  EXPECT_EQ(m.LogLines[4], "0\tModel\tPART-1");
  EXPECT_EQ(m.LogLines[8], "0\tSerial#\tSN-DIMM1");
}

TEST(SlotScan, BlankPartNumberDisablesGetSpecification) {
  const TSlotScanModel m = ScanText(Array(2, k32GBinKB) + Module("DIMM1", 2, "Kingston", "   "));
  EXPECT_TRUE(*m.Panels[0].GetSpecShown);
  EXPECT_FALSE(*m.Panels[0].GetSpecEnabled);
}

TEST(SlotScan, SmallModulesAndMissingValues) {
  const TSlotScanModel m = ScanText(Array(1, 1048576) +
                                    "[Win32_PhysicalMemory]\nCapacity = \"536870912\"\nDeviceLocator = null\n"
                                    "Manufacturer = null\nMemoryType = null\nSpeed = null\n");
  const TSlotRows& rows = *m.Panels[0].Rows;
  EXPECT_EQ(rows[0].second, "");
  EXPECT_EQ(rows[1].second, "0 GB");  // 512 MB
  EXPECT_EQ(rows[4].second, "Unknown");
  EXPECT_EQ(m.LogLines[5], "0\tType\t0");
}

TEST(SlotScan, AFailingModuleEndsTheScanWithWhatWasReached) {
  std::string inv = Array(4, k32GBinKB) + Module("D0", 8);
  inv += "[Win32_PhysicalMemory]\nDeviceLocator = \"D1\"\nCapacity = \"lots\"\n";
  const TSlotScanModel m = ScanText(inv);
  ASSERT_TRUE(m.Error);
  EXPECT_EQ(*m.SlotsText, "Number of slots : 4");
  EXPECT_TRUE(m.Panels[0].Rows);
  EXPECT_FALSE(m.Panels[1].Rows);
  EXPECT_FALSE(m.Panels[0].ListShown);  // never reached: created state stays
  EXPECT_FALSE(m.CurMemText);
  EXPECT_EQ(m.LogLines.size(), 9u);
}

TEST(SlotScan, FailedLoadsCountAsNoInstances) {
  TScopedWmiLocatorFactory none{TWmiLocatorFactory{}};
  const TSlotScanModel m = ScanSlotModel();
  ASSERT_FALSE(m.Error);
  EXPECT_EQ(*m.SlotsText, "Number of slots : 0");
  EXPECT_EQ(*m.CurMemText, "Current memory : 0 GB");
  EXPECT_TRUE(*m.MaxMemShown);
  EXPECT_FALSE(*m.Panels[0].ListShown);
  EXPECT_FALSE(*m.Panels[0].GetRamShown);  // the group is disabled
}

TEST(ExportLayout, OneModuleTabSeparated) {
  const TSlotScanModel m = ScanText(Array(2, k32GBinKB) + Module("DIMM1", 8));
  EXPECT_EQ(ExportLayout(ExportPanels(m), "\t"),
            "[BANK 1]\r\nSlot Name\tDIMM1\r\nCapacity\t8 GB\r\nManufacturer\tSamsung\r\n"
            "Model\tM378A1K43CB2-CTD\r\nType\tDDR4 / PC4-21328\r\nSerial#\tSN-DIMM1\r\n");
}

TEST(ExportLayout, GapsAndEmptyLists) {
  std::array<TExportPanel, kSlotPanels> panels;
  panels[0].ListShown = false;
  panels[1].Rows = {{"Slot Name", "B"}, {"Model", "x;y"}};
  panels[2].ListShown = true;  // shown but never filled
  panels[3].ListShown = false;
  EXPECT_EQ(ExportLayout(panels, ";"), "\r\n[BANK 2]\r\nSlot Name;B\r\nModel;x;y\r\n\r\n[BANK 3]\r\nEmpty\r\n");
  panels[1].ListShown = panels[2].ListShown = false;
  EXPECT_EQ(ExportLayout(panels, ";"), "");
}

TEST(ExportLayout, SlotsOneAndThreeOnly) {
  std::array<TExportPanel, kSlotPanels> panels;
  panels[0].Rows = {{"Slot Name", "A"}};
  panels[1].ListShown = false;
  panels[2].Rows = {{"Slot Name", "C"}};
  panels[3].ListShown = false;
  EXPECT_EQ(ExportLayout(panels, "\t"), "[BANK 1]\r\nSlot Name\tA\r\n\r\n[BANK 3]\r\nSlot Name\tC\r\n");
}

}  // namespace
}  // namespace dimmscope
