// The SMBIOS provider: memory arrays and devices as the WMI instances
// Windows derives from the same firmware bytes, and through the WMI layer
// into the typed records and the slot scan.
#include "wmi/smbios_provider.h"

#include <gtest/gtest.h>

#include "app/slot_scan.h"
#include "tests/smbios_builder.h"
#include "wmi/physical_memory.h"
#include "wmi/physical_memory_array.h"

namespace dimmscope {
namespace {

using testing::TSmbiosArrayFields;
using testing::TSmbiosBuilder;
using testing::TSmbiosDeviceFields;

TVariant Value(const TInventoryInstance& instance, const std::string& name) {
  for (const auto& p : instance.Properties) {
    if (p.first == name) return p.second;
  }
  ADD_FAILURE() << "no property " << name;
  return TVariant();
}

std::vector<TInventoryInstance> OfClass(const TInventory& inventory, const std::string& className) {
  std::vector<TInventoryInstance> out;
  for (const auto& instance : inventory.Instances) {
    if (instance.ClassName == className) out.push_back(instance);
  }
  return out;
}

std::vector<TInventoryInstance> Modules(const TSmbiosBuilder& b, std::vector<std::string>* notes = nullptr) {
  return OfClass(SmbiosInventory(ParseSmbiosDump(b.Dump3()), notes), "Win32_PhysicalMemory");
}

std::vector<TInventoryInstance> Arrays(const TSmbiosBuilder& b, std::vector<std::string>* notes = nullptr) {
  return OfClass(SmbiosInventory(ParseSmbiosDump(b.Dump3()), notes), "Win32_PhysicalMemoryArray");
}

const TVariant kNull = TVariant::Null();

// Exact types matter: Windows hands Capacity over as text, the rest as numbers.
void ExpectSame(const TVariant& actual, const TVariant& expected, const std::string& what) {
  EXPECT_EQ(actual.Type(), expected.Type()) << what;
  EXPECT_EQ(actual, expected) << what;
}

TEST(SmbiosProvider, AModuleAsWindowsPresentsIt) {
  TSmbiosBuilder b;
  TSmbiosDeviceFields d;
  d.FormFactor = 0x0D;  // SODIMM
  d.DeviceLocator = "ChannelA-DIMM0";
  d.BankLocator = "BANK 0";
  d.Size = 16384;
  d.TotalWidth = 72;
  d.DataWidth = 64;
  d.Speed = 3200;
  d.ConfiguredSpeed = 2933;
  d.Manufacturer = "Kingston";
  d.SerialNumber = " 0A1B2C3D";
  d.PartNumber = "KF432C16 ";
  d.TypeDetail = 0x4080;
  b.AddDevice(d);
  b.AddEnd();
  const auto modules = Modules(b);
  ASSERT_EQ(modules.size(), 1u);
  const TInventoryInstance& m = modules[0];
  const std::pair<const char*, TVariant> expected[] = {
      {"BankLabel", TVariant("BANK 0")},
      {"Capacity", TVariant("17179869184")},
      {"Caption", TVariant("Physical Memory")},
      {"CreationClassName", TVariant("Win32_PhysicalMemory")},
      {"DataWidth", TVariant(64)},
      {"Description", TVariant("Physical Memory")},
      {"DeviceLocator", TVariant("ChannelA-DIMM0")},
      {"FormFactor", TVariant(12)},
      {"HotSwappable", kNull},
      {"InstallDate", kNull},
      {"InterleaveDataDepth", kNull},
      {"InterleavePosition", kNull},
      {"Manufacturer", TVariant("Kingston")},
      {"MemoryType", TVariant(26)},
      {"Model", kNull},
      {"Name", TVariant("Physical Memory")},
      {"OtherIdentifyingInfo", kNull},
      {"PartNumber", TVariant("KF432C16 ")},
      {"PositionInRow", kNull},
      {"PoweredOn", kNull},
      {"Removable", kNull},
      {"Replaceable", kNull},
      {"SerialNumber", TVariant(" 0A1B2C3D")},
      {"SKU", kNull},
      {"Speed", TVariant(3200)},
      {"Status", kNull},
      {"Tag", TVariant("Physical Memory 0")},
      {"TotalWidth", TVariant(72)},
      {"TypeDetail", TVariant(0x4080)},
      {"Version", kNull},
      {"SMBIOSMemoryType", TVariant(26)},
      {"ConfiguredClockSpeed", TVariant(2933)},
  };
  ASSERT_EQ(m.Properties.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(m.Properties[i].first, expected[i].first);
    ExpectSame(m.Properties[i].second, expected[i].second, expected[i].first);
  }
}

TEST(SmbiosProvider, EmptySocketsAreNoInstancesAndTagsCountInstalledModules) {
  TSmbiosBuilder b;
  for (int i = 0; i < 4; ++i) {
    TSmbiosDeviceFields d;
    d.DeviceLocator = "DIMM" + std::to_string(i);
    d.Size = i % 2 == 0 ? 0 : 4096;
    b.AddDevice(d);
  }
  b.AddEnd();
  const auto modules = Modules(b);
  ASSERT_EQ(modules.size(), 2u);
  EXPECT_EQ(Value(modules[0], "DeviceLocator"), TVariant("DIMM1"));
  EXPECT_EQ(Value(modules[0], "Tag"), TVariant("Physical Memory 0"));
  EXPECT_EQ(Value(modules[1], "DeviceLocator"), TVariant("DIMM3"));
  EXPECT_EQ(Value(modules[1], "Tag"), TVariant("Physical Memory 1"));
}

TEST(SmbiosProvider, SizesInMegabytesKilobytesAndTheExtendedField) {
  struct TCase {
    std::uint16_t Size;
    std::uint32_t Extended;
    std::uint8_t Length;
    TVariant Capacity;
  };
  const TCase cases[] = {
      {8192, 0, 0x5C, TVariant("8589934592")},
      {0x8000 | 512, 0, 0x5C, TVariant("524288")},                 // kilobytes
      {0x7FFF, 65536, 0x5C, TVariant("68719476736")},              // 64 GiB, extended
      {0x7FFF, 0x80000000u | 2048, 0x22, TVariant("2147483648")},  // reserved top bit ignored
      {0x7FFF, 65536, 0x1B, TVariant("34358689792")},              // too short for the extension: 32767 MB
      {0x7FFF, 0, 0x5C, kNull},                                    // extension of 0: unknown
      {0xFFFF, 0, 0x5C, kNull},                                    // unknown size, module present
  };
  for (const auto& c : cases) {
    TSmbiosBuilder b;
    TSmbiosDeviceFields d;
    d.Size = c.Size;
    d.ExtendedSize = c.Extended;
    d.Length = c.Length;
    b.AddDevice(d);
    b.AddEnd();
    const auto modules = Modules(b);
    ASSERT_EQ(modules.size(), 1u) << c.Size;
    ExpectSame(Value(modules[0], "Capacity"), c.Capacity, "size " + std::to_string(c.Size));
  }
}

TEST(SmbiosProvider, SpeedsWithTheirExtensionsAndUnknowns) {
  struct TCase {
    std::uint16_t Speed;
    std::uint32_t Extended;
    std::uint8_t Length;
    TVariant Expected;
  };
  const TCase cases[] = {
      {2400, 9999, 0x5C, TVariant(2400)},    // the extension only counts after FFFFh
      {0, 0, 0x5C, kNull},                   // unknown
      {0xFFFF, 8400, 0x5C, TVariant(8400)},  // in the extension
      {0xFFFF, 0x80000000u | 8800, 0x5C, TVariant(8800)},
      {0xFFFF, 0, 0x5C, kNull},
      {0xFFFF, 8400, 0x28, kNull},  // the structure has no extension
      {2400, 0, 0x15, kNull},       // SMBIOS 2.1: no speed at all
  };
  for (const auto& c : cases) {
    TSmbiosBuilder b;
    TSmbiosDeviceFields d;
    d.Speed = c.Speed;
    d.ExtendedSpeed = c.Extended;
    d.ConfiguredSpeed = c.Speed;
    d.ExtendedConfiguredSpeed = c.Extended;
    d.Length = c.Length;
    b.AddDevice(d);
    b.AddEnd();
    const auto modules = Modules(b);
    ASSERT_EQ(modules.size(), 1u);
    const std::string what = std::to_string(c.Speed) + "/" + std::to_string(c.Extended);
    ExpectSame(Value(modules[0], "Speed"), c.Expected, "Speed " + what);
    ExpectSame(Value(modules[0], "ConfiguredClockSpeed"), c.Length >= 0x22 ? c.Expected : kNull,
               "ConfiguredClockSpeed " + what);
  }
}

TEST(SmbiosProvider, UnknownWidthsAndOldLayoutsGiveNull) {
  TSmbiosBuilder b;
  TSmbiosDeviceFields d;
  d.TotalWidth = 0xFFFF;
  d.DataWidth = 0xFFFF;
  d.Length = 0x15;  // SMBIOS 2.1: no manufacturer, serial or part number
  b.AddDevice(d);
  b.AddEnd();
  std::vector<std::string> notes;
  const auto modules = Modules(b, &notes);
  ASSERT_EQ(modules.size(), 1u);
  for (const char* name : {"TotalWidth", "DataWidth", "Manufacturer", "SerialNumber", "PartNumber", "Speed"}) {
    EXPECT_TRUE(Value(modules[0], name).IsNull()) << name;
  }
  EXPECT_EQ(Value(modules[0], "DeviceLocator"), TVariant("DIMM 0"));
  EXPECT_TRUE(notes.empty());  // a 2.1 layout is not damage
}

TEST(SmbiosProvider, ShortAndOddStructuresAreReadAsFarAsTheyGo) {
  TSmbiosBuilder b;
  b.Add(17, std::string("\x00\x10\xFE\xFF\x40\x00", 6));  // ends before the size
  b.Add(17, std::string("\x00\x10\xFE\xFF\x40\x00\x40\x00\x00\x04\x09\x00\x07", 13), {"only one"});  // to 11h
  b.AddEnd();
  std::vector<std::string> notes;
  const auto modules = Modules(b, &notes);
  ASSERT_EQ(modules.size(), 1u);
  EXPECT_EQ(Value(modules[0], "Capacity"), TVariant("1073741824"));
  EXPECT_EQ(Value(modules[0], "FormFactor"), TVariant(8));
  EXPECT_TRUE(Value(modules[0], "DeviceLocator").IsNull());  // string 7 of 1
  EXPECT_TRUE(Value(modules[0], "BankLabel").IsNull());      // beyond the structure
  EXPECT_TRUE(Value(modules[0], "MemoryType").IsNull());
  EXPECT_TRUE(Value(modules[0], "SMBIOSMemoryType").IsNull());
  EXPECT_TRUE(Value(modules[0], "TypeDetail").IsNull());
  ASSERT_EQ(notes.size(), 3u);
  EXPECT_EQ(notes[0], "type 17 structure 0x1000 is too short to say whether a module is installed; skipped");
  EXPECT_EQ(notes[1], "type 17 structure 0x1001 is 17 bytes long; the fields it cannot hold are read as Null");
  EXPECT_EQ(notes[2], "type 17 structure 0x1001: DeviceLocator names string 7 of 1; read as Null");
}

TEST(SmbiosProvider, MemoryTypesMapToTheWmiCodes) {
  const std::pair<std::uint8_t, std::uint16_t> cases[] = {
      {0x01, 1},  {0x02, 0},  {0x03, 2}, {0x07, 9}, {0x0F, 17}, {0x11, 19}, {0x12, 20},
      {0x13, 21}, {0x14, 22}, {0x15, 0}, {0x17, 0}, {0x18, 24}, {0x19, 25}, {0x1A, 26},
      {0x1E, 30}, {0x1F, 0},  {0x22, 0}, {0x23, 0}, {0x00, 0},  {0xFF, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(WmiMemoryType(c.first), c.second) << int(c.first);
  const std::pair<std::uint8_t, std::uint16_t> forms[] = {{0x01, 1},  {0x02, 0},  {0x03, 7}, {0x04, 2}, {0x06, 3},
                                                          {0x08, 6},  {0x09, 8},  {0x0A, 9}, {0x0B, 0}, {0x0C, 11},
                                                          {0x0D, 12}, {0x0E, 13}, {0x0F, 0}, {0x10, 0}, {0xFF, 0}};
  for (const auto& c : forms) EXPECT_EQ(WmiFormFactor(c.first), c.second) << int(c.first);
  const std::pair<std::uint8_t, std::uint16_t> locations[] = {{0x03, 3},  {0x0A, 10}, {0x0B, 0},
                                                              {0xA0, 11}, {0xA3, 14}, {0xA4, 0}};
  for (const auto& c : locations) EXPECT_EQ(WmiArrayLocation(c.first), c.second) << int(c.first);

  TSmbiosBuilder b;
  TSmbiosDeviceFields d;
  d.MemoryType = 0x22;  // DDR5: no WMI code, the raw code stays available
  b.AddDevice(d);
  b.AddEnd();
  const auto modules = Modules(b);
  ASSERT_EQ(modules.size(), 1u);
  EXPECT_EQ(Value(modules[0], "MemoryType"), TVariant(0));
  EXPECT_EQ(Value(modules[0], "SMBIOSMemoryType"), TVariant(0x22));
}

TEST(SmbiosProvider, ArraysWithTheirCapacityInKilobytes) {
  TSmbiosBuilder b;
  TSmbiosArrayFields plain;
  plain.MaxCapacityKB = 64u << 20;
  plain.Devices = 4;
  plain.ErrorCorrection = 0x06;
  plain.Location = 0xA1;
  b.AddArray(plain);
  TSmbiosArrayFields extended;
  extended.MaxCapacityKB = 0x80000000u;
  extended.ExtendedMaxCapacity = 2ull << 40;  // 2 TiB
  b.AddArray(extended);
  TSmbiosArrayFields huge = extended;
  huge.ExtendedMaxCapacity = 16ull << 40;  // does not fit the 32-bit kilobytes
  b.AddArray(huge);
  TSmbiosArrayFields old = extended;
  old.Length = 0x0F;  // no extension to defer to
  b.AddArray(old);
  b.Add(16, std::string("\x03\x03", 2));  // cut short
  b.AddEnd();
  std::vector<std::string> notes;
  const auto arrays = Arrays(b, &notes);
  ASSERT_EQ(arrays.size(), 5u);
  ExpectSame(Value(arrays[0], "MaxCapacity"), TVariant(std::int64_t{64} << 20), "plain");
  ExpectSame(Value(arrays[0], "MemoryDevices"), TVariant(4), "devices");
  ExpectSame(Value(arrays[0], "MemoryErrorCorrection"), TVariant(6), "ecc");
  ExpectSame(Value(arrays[0], "Location"), TVariant(12), "location");
  ExpectSame(Value(arrays[0], "Use"), TVariant(3), "use");
  ExpectSame(Value(arrays[0], "Caption"), TVariant("Physical Memory Array"), "caption");
  ExpectSame(Value(arrays[0], "CreationClassName"), TVariant("Win32_PhysicalMemoryArray"), "class");
  ExpectSame(Value(arrays[0], "Tag"), TVariant("Physical Memory Array 0"), "tag");
  EXPECT_TRUE(Value(arrays[0], "Depth").IsNull());
  ExpectSame(Value(arrays[1], "MaxCapacity"), TVariant(std::int64_t{2} << 30), "extended");
  ExpectSame(Value(arrays[2], "MaxCapacity"), TVariant(std::int64_t{0xFFFFFFFF}), "clamped");
  EXPECT_TRUE(Value(arrays[3], "MaxCapacity").IsNull());
  EXPECT_TRUE(Value(arrays[4], "MaxCapacity").IsNull());
  EXPECT_TRUE(Value(arrays[4], "MemoryDevices").IsNull());
  ExpectSame(Value(arrays[4], "Use"), TVariant(3), "short use");
  ExpectSame(Value(arrays[4], "Tag"), TVariant("Physical Memory Array 4"), "short tag");
  ASSERT_EQ(notes.size(), 3u);
  EXPECT_EQ(notes[0],
            "type 16 structure 0x1002: the maximum capacity of 17179869184 KB exceeds the 32-bit MaxCapacity;"
            " clamped to 4294967295 KB");
  EXPECT_EQ(notes[1],
            "type 16 structure 0x1003: the maximum capacity is in the extended field, which is missing;"
            " MaxCapacity read as Null");
  EXPECT_EQ(notes[2], "type 16 structure 0x1004 is 6 bytes long; the fields it cannot hold are read as Null");
}

TEST(SmbiosProvider, TheTablesOwnNotesComeFirst) {
  TSmbiosBuilder b;
  b.AddDevice(TSmbiosDeviceFields{});
  b.AddRaw(std::string("\x11\x02\x00\x00", 4));
  std::vector<std::string> notes;
  EXPECT_EQ(Modules(b, &notes).size(), 1u);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_NE(notes[0].find("shorter than its header"), std::string::npos);
}

TEST(SmbiosProvider, ThroughTheWmiLayerIntoTheRecordsAndTheScan) {
  std::vector<std::string> notes;
  TScopedWmiLocatorFactory scope(MakeSmbiosLocatorFactory(ParseSmbiosDump(testing::SampleDumps()[1].Bytes), &notes));
  TWin32_PhysicalMemoryArray arrays(true);
  ASSERT_EQ(arrays.CollectionCount(), 2);
  EXPECT_EQ(arrays.MemoryDevices, 24);
  EXPECT_EQ(arrays.MaxCapacity, 0xC0000000u);
  TWin32_PhysicalMemory modules(true);
  ASSERT_EQ(modules.CollectionCount(), 48);
  modules.SetCollectionIndex(47);
  EXPECT_EQ(modules.Capacity, std::int64_t{32} << 30);
  EXPECT_EQ(modules.DeviceLocator, "CPU1_DIMM_L1");
  EXPECT_EQ(modules.Tag, "Physical Memory 47");
  EXPECT_EQ(modules.SMBIOSMemoryType, 0x22);
  EXPECT_EQ(modules.Speed, 4800u);
  EXPECT_EQ(modules.TotalWidth, 80);
  const TSlotScanModel model = ScanSlotModel();
  EXPECT_FALSE(model.Error);
  EXPECT_EQ(model.Slots, 48);
  EXPECT_EQ(model.InstalledBytes, std::int64_t{48} * (std::int64_t{32} << 30));
  EXPECT_TRUE(notes.empty());
}

}  // namespace
}  // namespace dimmscope
