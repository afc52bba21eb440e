// The two typed records: every field filled from its property by its helper,
// in table order, with the exact property names.
#include <gtest/gtest.h>

#include "tests/fake_wmi_provider.h"
#include "wmi/physical_memory.h"
#include "wmi/physical_memory_array.h"

namespace dimmscope {
namespace {

using testing::TFakeInstance;
using testing::TFakeWmi;
using testing::TFakeWmiScope;

TEST(PhysicalMemory, EveryFieldComesFromItsOwnProperty) {
  auto wmi = std::make_shared<TFakeWmi>();
  wmi->Classes["Win32_PhysicalMemory"] = {TFakeInstance{{
      {"BankLabel", TVariant("BANK 0")},
      {"Capacity", TVariant("17179869184")},
      {"Caption", TVariant("Physical Memory")},
      {"CreationClassName", TVariant("Win32_PhysicalMemory")},
      {"DataWidth", TVariant(64)},
      {"Description", TVariant("desc")},
      {"DeviceLocator", TVariant("ChannelA-DIMM0")},
      {"FormFactor", TVariant(8)},
      {"HotSwappable", TVariant(true)},
      {"InstallDate", TVariant("20240115103000.000000+000")},
      {"InterleaveDataDepth", TVariant(2)},
      {"InterleavePosition", TVariant(-2)},
      {"Manufacturer", TVariant("Kingston")},
      {"MemoryType", TVariant(26)},
      {"Model", TVariant("model")},
      {"Name", TVariant("name")},
      {"OtherIdentifyingInfo", TVariant("other")},
      {"PartNumber", TVariant("KF432C16 ")},
      {"PositionInRow", TVariant(3)},
      {"PoweredOn", TVariant(true)},
      {"Removable", TVariant("true")},
      {"Replaceable", TVariant(1)},
      {"SerialNumber", TVariant("1234ABCD")},
      {"SKU", TVariant("sku")},
      {"Speed", TVariant(3200)},
      {"Status", TVariant("OK")},
      {"Tag", TVariant("Physical Memory 0")},
      {"TotalWidth", TVariant(72)},
      {"TypeDetail", TVariant(128)},
      {"Version", TVariant("v1")},
      {"SMBIOSMemoryType", TVariant(26)},
  }}};
  TFakeWmiScope scope(wmi);
  TWin32_PhysicalMemory m(true);
  ASSERT_TRUE(m.Loaded);
  EXPECT_EQ(m.BankLabel, "BANK 0");
  EXPECT_EQ(m.Capacity, 17179869184LL);  // above the 32-bit range
  EXPECT_EQ(m.Caption, "Physical Memory");
  EXPECT_EQ(m.CreationClassName, "Win32_PhysicalMemory");
  EXPECT_EQ(m.DataWidth, 64);
  EXPECT_EQ(m.Description, "desc");
  EXPECT_EQ(m.DeviceLocator, "ChannelA-DIMM0");
  EXPECT_EQ(m.FormFactor, 8);
  EXPECT_TRUE(m.HotSwappable);
  EXPECT_EQ(m.InstallDate, EncodeDateTime(2024, 1, 15, 10, 30, 0));
  EXPECT_EQ(m.InterleaveDataDepth, 2);
  EXPECT_EQ(m.InterleavePosition, 0xFFFFFFFEu);
  EXPECT_EQ(m.Manufacturer, "Kingston");
  EXPECT_EQ(m.MemoryType, 26);
  EXPECT_EQ(m.Model, "model");
  EXPECT_EQ(m.Name, "name");
  EXPECT_EQ(m.OtherIdentifyingInfo, "other");
  EXPECT_EQ(m.PartNumber, "KF432C16 ");  // never trimmed
  EXPECT_EQ(m.PositionInRow, 3u);
  EXPECT_TRUE(m.PoweredOn);
  EXPECT_TRUE(m.Removable);
  EXPECT_TRUE(m.Replaceable);
  EXPECT_EQ(m.SerialNumber, "1234ABCD");
  EXPECT_EQ(m.SKU, "sku");
  EXPECT_EQ(m.Speed, 3200u);
  EXPECT_EQ(m.Status, "OK");
  EXPECT_EQ(m.Tag, "Physical Memory 0");
  EXPECT_EQ(m.TotalWidth, 72);
  EXPECT_EQ(m.TypeDetail, 128);
  EXPECT_EQ(m.Version, "v1");
  EXPECT_EQ(m.SMBIOSMemoryType, 26);
}

TEST(PhysicalMemory, NullTextsAreEmptyAndSelectingAgainRefillsEverything) {
  auto wmi = std::make_shared<TFakeWmi>();
  wmi->Classes["Win32_PhysicalMemory"] = {TFakeInstance{{{"Manufacturer", TVariant("Samsung")},
                                                         {"PartNumber", TVariant("M378")},
                                                         {"SerialNumber", TVariant("01")},
                                                         {"Speed", TVariant(1600)}}},
                                          TFakeInstance{{{"Manufacturer", TVariant::Null()},
                                                         {"PartNumber", TVariant::Null()},
                                                         {"SerialNumber", TVariant::Null()},
                                                         {"Speed", TVariant::Null()}}}};
  TFakeWmiScope scope(wmi);
  TWin32_PhysicalMemory m(true);
  m.SetCollectionIndex(1);
  EXPECT_EQ(m.Manufacturer, "");
  EXPECT_EQ(m.PartNumber, "");
  EXPECT_EQ(m.SerialNumber, "");
  EXPECT_EQ(m.Speed, 0u);
  m.SetCollectionIndex(0);
  EXPECT_EQ(m.Manufacturer, "Samsung");
  EXPECT_EQ(m.Speed, 1600u);
}

TEST(PhysicalMemoryArray, EveryFieldComesFromItsOwnProperty) {
  auto wmi = std::make_shared<TFakeWmi>();
  wmi->Classes["Win32_PhysicalMemoryArray"] = {TFakeInstance{{
      {"Caption", TVariant("Physical Memory Array")},
      {"CreationClassName", TVariant("Win32_PhysicalMemoryArray")},
      {"Depth", TVariant(1.5)},
      {"Description", TVariant("d")},
      {"Height", TVariant(2)},
      {"HotSwappable", TVariant(false)},
      {"InstallDate", TVariant::Null()},
      {"Location", TVariant(3)},
      {"Manufacturer", TVariant("m")},
      {"MaxCapacity", TVariant(std::int64_t{4294967295LL})},
      {"MemoryDevices", TVariant(4)},
      {"MemoryErrorCorrection", TVariant(6)},
      {"Model", TVariant("mo")},
      {"Name", TVariant("n")},
      {"OtherIdentifyingInfo", TVariant("o")},
      {"PartNumber", TVariant("p")},
      {"PoweredOn", TVariant(true)},
      {"Removable", TVariant(false)},
      {"Replaceable", TVariant(true)},
      {"SerialNumber", TVariant("s")},
      {"SKU", TVariant("k")},
      {"Status", TVariant("OK")},
      {"Tag", TVariant("Physical Memory Array 0")},
      {"Use", TVariant(3)},
      {"Version", TVariant("v")},
      {"Weight", TVariant("0.25")},
      {"Width", TVariant(7.0)},
  }}};
  TFakeWmiScope scope(wmi);
  TWin32_PhysicalMemoryArray a(true);
  ASSERT_TRUE(a.Loaded);
  EXPECT_EQ(a.Caption, "Physical Memory Array");
  EXPECT_EQ(a.CreationClassName, "Win32_PhysicalMemoryArray");
  EXPECT_EQ(a.Depth, 1.5);
  EXPECT_EQ(a.Description, "d");
  EXPECT_EQ(a.Height, 2.0);
  EXPECT_FALSE(a.HotSwappable);
  EXPECT_EQ(a.InstallDate.Value, 0.0);
  EXPECT_EQ(a.Location, 3);
  EXPECT_EQ(a.Manufacturer, "m");
  EXPECT_EQ(a.MaxCapacity, 4294967295u);  // just under 4 TiB in kilobytes
  EXPECT_EQ(a.MemoryDevices, 4);
  EXPECT_EQ(a.MemoryErrorCorrection, 6);
  EXPECT_EQ(a.Model, "mo");
  EXPECT_EQ(a.Name, "n");
  EXPECT_EQ(a.OtherIdentifyingInfo, "o");
  EXPECT_EQ(a.PartNumber, "p");
  EXPECT_TRUE(a.PoweredOn);
  EXPECT_FALSE(a.Removable);
  EXPECT_TRUE(a.Replaceable);
  EXPECT_EQ(a.SerialNumber, "s");
  EXPECT_EQ(a.SKU, "k");
  EXPECT_EQ(a.Status, "OK");
  EXPECT_EQ(a.Tag, "Physical Memory Array 0");
  EXPECT_EQ(a.Use, 3);
  EXPECT_EQ(a.Version, "v");
  EXPECT_EQ(a.Weight, 0.25);
  EXPECT_EQ(a.Width, 7.0);
}

TEST(PhysicalMemoryArray, NullMaxCapacityIsZero) {
  auto wmi = std::make_shared<TFakeWmi>();
  wmi->Classes["Win32_PhysicalMemoryArray"] = {
      TFakeInstance{{{"MaxCapacity", TVariant::Null()}, {"MemoryDevices", TVariant(2)}}}};
  TFakeWmiScope scope(wmi);
  TWin32_PhysicalMemoryArray a(true);
  EXPECT_EQ(a.MaxCapacity, 0u);
  EXPECT_EQ(a.MemoryDevices, 2);
}

}  // namespace
}  // namespace dimmscope
