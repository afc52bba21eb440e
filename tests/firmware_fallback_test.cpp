// The firmware's raw SMBIOS data as Windows hands it out, and the choice
// between WMI and those tables when WMI cannot answer.
#include <gtest/gtest.h>

#include "app/inventory_source.h"
#include "app/slot_scan.h"
#include "tests/case_table.h"
#include "tests/fake_wmi_provider.h"
#include "tests/smbios_builder.h"
#include "wmi/smbios_table.h"

namespace dimmscope {
namespace {

using testing::Le;
using testing::TFakeWmi;
using testing::TSmbiosBuilder;

// Calling method, major and minor version, DMI revision, the table's length.
std::string RawData(char major, char minor, std::size_t length, const std::string& table) {
  return std::string{'\0', major, minor, '\0'} + Le(length, 4) + table;
}

// One array of 2 slots (16 GB at most) and one module of `megabytes` (0: an
// empty socket), DDR4-2400 in "DIMM 0".
std::string MemoryTable(std::uint16_t megabytes) {
  TSmbiosBuilder b;
  b.Add(16, std::string{3, 3, 3} + Le(16u << 20, 4) + Le(0xFFFE, 2) + Le(2, 2));
  b.Add(17,
        Le(0x1000, 2) + Le(0xFFFE, 2) + Le(64, 2) + Le(64, 2) + Le(megabytes, 2) + std::string{9, 0, 1, 0, 0x1A} +
            Le(0, 2) + Le(2400, 2) + std::string(4, '\0'),
        {"DIMM 0"});
  b.AddEnd();
  return b.Table();
}

// Version, structure types and the number of notes; "error" when refused.
std::string Reading(const std::string& data) {
  try {
    const TSmbiosTable table = ParseRawSmbiosData(data);
    std::string text = std::to_string(table.MajorVersion) + "." + std::to_string(table.MinorVersion) + ":";
    for (const auto& structure : table.Structures) text += " " + std::to_string(structure.Type);
    return text + ", " + std::to_string(table.Notes.size()) + " notes";
  } catch (const ESmbiosError&) {
    return "error";
  }
}

TEST(FirmwareTable, RawSmbiosData) {
  const std::string memory = MemoryTable(8192);
  TSmbiosBuilder bios;  // no memory structures, as in Wine's own table
  bios.Add(0, std::string(20, '\0'));
  bios.Add(1, std::string(23, '\0'));
  bios.AddEnd();
  const std::string other = bios.Table();
  const struct {
    const char* what;
    std::string data;
    const char* expected;
  } cases[] = {
      {"whole", RawData(3, 3, memory.size(), memory), "3.3: 16 17, 0 notes"},
      {"length past the end", RawData(3, 3, memory.size() + 100, memory), "3.3: 16 17, 1 notes"},
      {"length short of the table", RawData(2, 8, 10, memory), "2.8:, 1 notes"},
      {"no type 17", RawData(2, 4, other.size(), other), "2.4: 0 1, 0 notes"},
      {"header alone", RawData(3, 0, 0, ""), "3.0:, 0 notes"},
      {"shorter than its header", RawData(3, 3, 0, "").substr(0, 7), "error"},
  };
  for (const auto& c : cases) EXPECT_EQ(Reading(c.data), c.expected) << c.what;
}

// The cases and what the fake WMI and the tables hold: tests/cases/firmware_fallback.txt.
TEST(FirmwareFallback, TablesOnlyWhenWmiFallsShort) {
  for (const auto& c : testing::CaseTable("firmware_fallback.txt", '|')) {
    const std::string &fails = c[0], &tables = c[2];
    SCOPED_TRACE(c.Where);
    auto shared = std::make_shared<TFakeWmi>(
        "[Win32_PhysicalMemoryArray]\nMemoryDevices = 8\nMaxCapacity = 16777216\n" +
        std::string(c[1] == "module" ? "[Win32_PhysicalMemory]\nCapacity = \"17179869184\"\n" : ""));
    TFakeWmi& wmi = *shared;
    wmi.FailCreateLocator = fails == "locator";
    wmi.FailConnect = fails == "connect";
    wmi.FailQuery = fails == "query";
    wmi.FailNextAfter = fails == "next" ? 0 : -1;
    wmi.FailValues = fails == "value";
    int reads = 0;
    TFirmwareSmbiosReader reader;
    if (tables != "none") {
      reader = [&reads, tables] {
        ++reads;
        if (tables == "unreadable") throw EInventoryError("no tables");
        const std::string table = MemoryTable(tables == "module" ? 8192 : 0);
        return RawData(3, 3, table.size(), table);
      };
    }
    std::string sourceLine;
    const TScopedWmiLocatorFactory scope(ChooseWmiOrFirmware(testing::FakeWmi(shared), reader, nullptr, &sourceLine));
    EXPECT_EQ(sourceLine, c[4].empty() ? "" : "Memory read from the firmware tables: " + c[4]);
    // WMI that answers is all that is asked.
    EXPECT_EQ(reads > 0, tables != "none" && (fails != "-" || c[1] != "module"));
    const TSlotScanModel model = ScanSlotModel();
    // WMI is asked once for the choice and the scan together: one connection,
    // one query per class, none after a failed connection.
    const int queries = fails == "locator" || fails == "connect" ? 0 : 1;
    EXPECT_EQ(wmi.LocatorsCreated, 1);
    EXPECT_EQ(wmi.Connects, fails == "locator" ? 0 : 1);
    EXPECT_EQ(wmi.Queries["Win32_PhysicalMemory"], queries);
    EXPECT_EQ(wmi.Queries["Win32_PhysicalMemoryArray"], queries);
    ASSERT_TRUE(model.SlotsText && model.CurMemText);
    const std::string slots = model.SlotsText->substr(sizeof "Number of slots : " - 1);
    EXPECT_EQ(slots + " slots, " + model.CurMemText->substr(sizeof "Current memory : " - 1), c[3]);
  }
}

}  // namespace
}  // namespace dimmscope
