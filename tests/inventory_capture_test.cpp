// Capturing the inventory through the WMI layer and writing it back out:
// whatever the provider gave must come back unchanged from the file.
#include "app/inventory_capture.h"

#include <gtest/gtest.h>

#include "tests/fake_wmi_provider.h"
#include "tests/smbios_builder.h"
#include "wmi/replay_provider.h"
#include "wmi/smbios_provider.h"

namespace dimmscope {
namespace {

using testing::TFakeInstance;
using testing::TFakeWmi;
using testing::TFakeWmiScope;

void ExpectSameInventory(const TInventory& actual, const TInventory& expected) {
  ASSERT_EQ(actual.Instances.size(), expected.Instances.size());
  for (std::size_t i = 0; i < expected.Instances.size(); ++i) {
    const auto& a = actual.Instances[i];
    const auto& e = expected.Instances[i];
    EXPECT_EQ(a.ClassName, e.ClassName) << i;
    ASSERT_EQ(a.Properties.size(), e.Properties.size()) << i;
    for (std::size_t p = 0; p < e.Properties.size(); ++p) {
      EXPECT_EQ(a.Properties[p].first, e.Properties[p].first) << i;
      EXPECT_EQ(a.Properties[p].second.Type(), e.Properties[p].second.Type()) << e.Properties[p].first;
      EXPECT_EQ(a.Properties[p].second, e.Properties[p].second) << e.Properties[p].first;
      if (e.Properties[p].second.Type() == TVarType::String) {
        EXPECT_EQ(a.Properties[p].second.String(), e.Properties[p].second.String()) << e.Properties[p].first;
      }
    }
  }
}

TEST(InventoryCapture, EveryPropertyOfEveryInstanceArraysFirst) {
  auto wmi = std::make_shared<TFakeWmi>();
  wmi->Classes["Win32_PhysicalMemory"] = {
      TFakeInstance{{{"DeviceLocator", TVariant("A")}, {"Capacity", TVariant("oops")}, {"Odd", TVariant(1.5)}}},
      TFakeInstance{{{"DeviceLocator", TVariant("B")}}},
  };
  wmi->Classes["Win32_PhysicalMemoryArray"] = {TFakeInstance{{{"MemoryDevices", TVariant(4)}}}};
  TFakeWmiScope scope(wmi);
  const TInventory inventory = CaptureInventory();
  ASSERT_EQ(inventory.Instances.size(), 3u);
  EXPECT_EQ(inventory.Instances[0].ClassName, "Win32_PhysicalMemoryArray");
  EXPECT_EQ(inventory.Instances[1].ClassName, "Win32_PhysicalMemory");
  // A value the typed record cannot convert is still captured as given; the
  // second instance has the class's properties, the missing ones Null.
  EXPECT_EQ(inventory.Instances[1].Properties[1].second, TVariant("oops"));
  ASSERT_EQ(inventory.Instances[2].Properties.size(), 3u);
  EXPECT_EQ(inventory.Instances[2].Properties[0].second, TVariant("B"));
  EXPECT_TRUE(inventory.Instances[2].Properties[1].second.IsNull());
  EXPECT_EQ(inventory.Instances[2].Properties[2].first, "Odd");
  EXPECT_TRUE(inventory.Instances[2].Properties[2].second.IsNull());
}

TEST(InventoryCapture, AProviderThatCannotListNamesGivesTheRecordsNames) {
  auto wmi = std::make_shared<TFakeWmi>();
  wmi->FailListNames = true;  // as under Wine
  wmi->Classes["Win32_PhysicalMemory"] = {TFakeInstance{{{"DeviceLocator", TVariant("A")}}}};
  TFakeWmiScope scope(wmi);
  const TInventory inventory = CaptureInventory();
  ASSERT_EQ(inventory.Instances.size(), 1u);
  const auto& properties = inventory.Instances[0].Properties;
  ASSERT_EQ(properties.size(), 31u);
  EXPECT_EQ(properties[0].first, "BankLabel");
  EXPECT_EQ(properties[6].first, "DeviceLocator");
  EXPECT_EQ(properties[6].second, TVariant("A"));
  EXPECT_TRUE(properties[0].second.IsNull());
}

TEST(InventoryCapture, AClassThatCannotBeReadIsSavedEmptyWithANote) {
  // Wine's WMI, for one, has no Win32_PhysicalMemoryArray; the scan then sees
  // no array, and so must the replay.
  auto wmi = std::make_shared<TFakeWmi>();
  wmi->FailQuery = true;
  TFakeWmiScope scope(wmi);
  std::vector<std::string> notes;
  EXPECT_TRUE(CaptureInventory(&notes).Instances.empty());
  EXPECT_EQ(notes, (std::vector<std::string>{"Win32_PhysicalMemoryArray could not be read; saved without instances",
                                             "Win32_PhysicalMemory could not be read; saved without instances"}));
}

TEST(InventoryCapture, SavedAndParsedBackEqualsWhatWasCaptured) {
  // Every sample machine, every kind of value.
  for (const auto& dump : testing::SampleDumps()) {
    TScopedWmiLocatorFactory scope(MakeSmbiosLocatorFactory(ParseSmbiosDump(dump.Bytes)));
    const TInventory captured = CaptureInventory();
    ExpectSameInventory(ParseInventory(FormatInventory(captured), "saved.ini"), captured);
  }
  static const char kText[] = "\"q\" \\ \t\r\n \x01\x7F\x80\xFF;#=[x] \0end";
  auto wmi = std::make_shared<TFakeWmi>();
  wmi->Classes["Win32_PhysicalMemory"] = {TFakeInstance{{
      {"Text", TVariant(std::string(kText, sizeof kText - 1))},
      {"Blank", TVariant("")},
      {"Spaces", TVariant("  ")},
      {"Int", TVariant(std::int64_t{-9223372036854775807 - 1})},
      {"Real", TVariant(0.1)},
      {"Whole", TVariant(3.0)},
      {"Tiny", TVariant(-4.9e-324)},
      {"Yes", TVariant(true)},
      {"No", TVariant(false)},
      {"Nothing", TVariant::Null()},
      {"Unset", TVariant()},
  }}};
  TFakeWmiScope scope(wmi);
  const TInventory captured = CaptureInventory();
  const std::string text = FormatInventory(captured, {"two\nlines"});
  EXPECT_EQ(text.find("# two\n# lines\n[Win32_PhysicalMemory]\n"), 0u);
  EXPECT_NE(text.find("Whole = 3.0\n"), std::string::npos);
  ExpectSameInventory(ParseInventory(text, "saved.ini"), captured);
}

}  // namespace
}  // namespace dimmscope
