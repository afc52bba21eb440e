// The query layer against a fake provider: load, selection, lookup and the
// failure behaviour callers depend on.
#include "wmi/wmi_class.h"

#include <gtest/gtest.h>

#include "tests/fake_wmi_provider.h"
#include "wmi/physical_memory.h"

namespace dimmscope {
namespace {

using testing::TFakeWmi;

const char kTwoModules[] =
    "[Win32_PhysicalMemory]\nCapacity = \"8589934592\"\nDeviceLocator = \"DIMM 0\"\n"
    "[Win32_PhysicalMemory]\nCapacity = \"4294967296\"\nDeviceLocator = \"DIMM 1\"\n";

TEST(WmiClass, LoadSelectsTheFirstInstanceAndOnlyANewIndexRefillsTheFields) {
  TScopedWmiLocatorFactory scope(testing::FakeWmi(kTwoModules));
  TWin32_PhysicalMemory memory(true);
  ASSERT_EQ(memory.CollectionCount(), 2);
  EXPECT_EQ(memory.DeviceLocator, "DIMM 0");
  memory.SetCollectionIndex(1);
  EXPECT_EQ(memory.Capacity, 4294967296LL);
  EXPECT_EQ(memory.Collection[1]->Values.capacity(), memory.PropertyNames.size());  // no room kept for more
  memory.DeviceLocator = "marker";
  for (int index : {1, -1, 2}) memory.SetCollectionIndex(index);
  EXPECT_EQ(memory.DeviceLocator, "marker");
  EXPECT_EQ(memory.FindCollectionIndex("DeviceLocator", TVariant("DIMM 1")), 1);
  EXPECT_EQ(memory.FindCollectionIndex("Capacity", TVariant(std::int64_t{8589934592LL})), 0);  // variant equality
  EXPECT_EQ(memory.FindCollectionIndex("DeviceLocator", TVariant("DIMM 9")), -1);
}

TEST(WmiClass, FailuresMakeTheLoadReportMinusOneAndAnEmptyResultZero) {
  for (int failure = 0; failure < 3; ++failure) {
    auto wmi = std::make_shared<TFakeWmi>(kTwoModules);
    wmi->FailQuery = failure == 0;
    wmi->FailNextAfter = failure == 1 ? 1 : -1;
    if (failure == 2) wmi->Data.Instances[0].Properties[0].second = TVariant("not a number");
    TScopedWmiLocatorFactory scope(testing::FakeWmi(wmi));
    TWin32_PhysicalMemory memory(true);
    EXPECT_EQ(memory.CollectionCount(), -1) << failure;
    EXPECT_EQ(memory.DeviceLocator, "") << failure;  // nothing selected
  }
  TScopedWmiLocatorFactory none{TWmiLocatorFactory{}};
  EXPECT_EQ(TWin32_PhysicalMemory(true).CollectionCount(), -1);
  TScopedWmiLocatorFactory empty(testing::FakeWmi(""));
  TWin32_PhysicalMemory memory(true);
  EXPECT_EQ(memory.CollectionCount(), 0);
  EXPECT_EQ(memory.CollectionIndex, -1);
}

TEST(WmiClass, NamesComeFromTheFirstLoadOrElseFromTheRecord) {
  auto wmi = std::make_shared<TFakeWmi>(kTwoModules);
  TScopedWmiLocatorFactory scope(testing::FakeWmi(wmi));
  TWin32_PhysicalMemory memory(true);
  wmi->Data.Instances[0].Properties.push_back({"Speed", TVariant(1600)});
  EXPECT_TRUE(memory.LoadCollection());
  EXPECT_EQ(memory.PropertyNames, (std::vector<std::string>{"Capacity", "DeviceLocator"}));
  EXPECT_EQ(memory.Speed, 0u);
  EXPECT_FALSE(TWmiClass(true, "root\\CIMV2", "Win32_PhysicalMemory").Loaded);  // the plain class cannot select
  wmi->FailListNames = true;                                                    // like Wine
  TWin32_PhysicalMemory fallback(true);
  EXPECT_EQ(fallback.PropertyNames.front(), "BankLabel");
  EXPECT_EQ(fallback.Capacity, 8589934592LL);
  // Nor has the plain class names of its own.
  EXPECT_FALSE(TWmiClass(true, "root\\CIMV2", "Win32_PhysicalMemory").Loaded);
}

TEST(WmiClass, LookupIgnoresCaseFindsTheFirstEqualNameAndKeepsAtMost256) {
  std::string inventory = "[Win32_PhysicalMemory]\nSpeed = 1\nspeed = 2\nTag = \"t\"\n";
  for (int i = 3; i < 300; ++i) inventory += "P" + std::to_string(i) + " = " + std::to_string(i) + "\n";
  inventory += "DeviceLocator = \"beyond\"\n[Win32_PhysicalMemory]\n";
  TScopedWmiLocatorFactory scope(testing::FakeWmi(inventory));
  TWin32_PhysicalMemory memory(true);
  EXPECT_EQ(memory.PropertyNames.size(), kMaxWmiProperties);
  // Asked out of order and again: always the first of two equal names.
  for (const char* name : {"Tag", "SPEED", "speed", "P255", "Speed"}) {
    EXPECT_EQ(memory.GetPropertyValue(name), name[0] == 'T' ? TVariant("t") : TVariant(name[0] == 'P' ? 255 : 1));
  }
  EXPECT_EQ(memory.Speed, 1u);
  EXPECT_TRUE(memory.GetPropertyValue("DeviceLocator").IsNull());
  EXPECT_TRUE(memory.GetPropertyValueAt("Tag", 1).IsNull());
  EXPECT_THROW(memory.GetPropertyValueAt("Tag", 2), std::out_of_range);
}

}  // namespace
}  // namespace dimmscope
