// The query layer against a fake provider: load, selection, lookup and the
// failure behaviour callers depend on.
#include "wmi/wmi_class.h"

#include <gtest/gtest.h>

#include "tests/fake_wmi_provider.h"
#include "wmi/physical_memory.h"

namespace dimmscope {
namespace {

using testing::TFakeInstance;
using testing::TFakeWmi;
using testing::TFakeWmiScope;

TFakeInstance Module(const char* locator, const char* capacity) {
  return TFakeInstance{{{"Capacity", TVariant(capacity)},
                        {"DeviceLocator", TVariant(locator)},
                        {"Manufacturer", TVariant("Samsung")},
                        {"MemoryType", TVariant(24)}}};
}

std::shared_ptr<TFakeWmi> TwoModules() {
  auto wmi = std::make_shared<TFakeWmi>();
  wmi->Classes["Win32_PhysicalMemory"] = {Module("DIMM 0", "8589934592"), Module("DIMM 1", "4294967296")};
  return wmi;
}

TEST(WmiClass, LoadRunsOneQueryAndSelectsTheFirstInstance) {
  auto wmi = TwoModules();
  TFakeWmiScope scope(wmi);
  TWin32_PhysicalMemory memory(true);
  EXPECT_TRUE(memory.Loaded);
  EXPECT_EQ(memory.CollectionCount(), 2);
  EXPECT_EQ(memory.CollectionIndex, 0);
  EXPECT_EQ(memory.DeviceLocator, "DIMM 0");
  EXPECT_EQ(wmi->LastQuery, "SELECT * FROM Win32_PhysicalMemory");
  EXPECT_EQ(wmi->LastLanguage, "WQL");
  EXPECT_EQ(wmi->LastFlags, 48);
  EXPECT_EQ(wmi->LastServer, "localhost");
  EXPECT_EQ(wmi->LastNameSpace, "root\\CIMV2");
  EXPECT_EQ(wmi->ImpersonationLevel, 0);  // provider defaults are kept
  EXPECT_EQ(memory.PropertyNames.size(), 4u);
}

TEST(WmiClass, SelectionCopiesStoredValuesWithoutAskingWmiAgain) {
  auto wmi = TwoModules();
  TFakeWmiScope scope(wmi);
  TWin32_PhysicalMemory memory(true);
  const int readsAfterLoad = wmi->ValueReads;
  memory.SetCollectionIndex(1);
  EXPECT_EQ(memory.DeviceLocator, "DIMM 1");
  EXPECT_EQ(memory.Capacity, 4294967296LL);
  memory.SetCollectionIndex(0);
  EXPECT_EQ(memory.DeviceLocator, "DIMM 0");
  EXPECT_EQ(wmi->ValueReads, readsAfterLoad);
  EXPECT_EQ(wmi->Queries, 1);
}

TEST(WmiClass, OutOfRangeAndRepeatedSelectionsChangeNothing) {
  auto wmi = TwoModules();
  TFakeWmiScope scope(wmi);
  TWin32_PhysicalMemory memory(true);
  memory.SetCollectionIndex(1);
  memory.DeviceLocator = "marker";  // would be overwritten by a re-read
  memory.SetCollectionIndex(1);
  memory.SetCollectionIndex(-1);
  memory.SetCollectionIndex(2);
  EXPECT_EQ(memory.CollectionIndex, 1);
  EXPECT_EQ(memory.DeviceLocator, "marker");
}

TEST(WmiClass, EmptyResultLoadsWithNothingSelected) {
  auto wmi = std::make_shared<TFakeWmi>();
  TFakeWmiScope scope(wmi);
  TWin32_PhysicalMemory memory(true);
  EXPECT_TRUE(memory.Loaded);
  EXPECT_EQ(memory.CollectionCount(), 0);
  EXPECT_EQ(memory.CollectionIndex, -1);
  EXPECT_EQ(memory.Capacity, 0);
  EXPECT_EQ(memory.DeviceLocator, "");
  EXPECT_FALSE(memory.PoweredOn);
}

TEST(WmiClass, FailuresMakeTheLoadReportMinusOne) {
  for (int failure = 0; failure < 4; ++failure) {
    auto wmi = TwoModules();
    wmi->FailCreateLocator = failure == 0;
    wmi->FailConnect = failure == 1;
    wmi->FailQuery = failure == 2;
    wmi->FailNextAfter = failure == 3 ? 1 : -1;
    TFakeWmiScope scope(wmi);
    TWin32_PhysicalMemory memory(true);
    EXPECT_FALSE(memory.Loaded) << failure;
    EXPECT_EQ(memory.CollectionCount(), -1) << failure;
    if (failure == 3) {
      // Records read before the error stay, but none was selected.
      EXPECT_EQ(memory.Collection.size(), 1u);
      EXPECT_EQ(memory.CollectionIndex, -1);
      EXPECT_EQ(memory.DeviceLocator, "");
    }
  }
}

TEST(WmiClass, NoProviderInstalledFailsTheLoad) {
  TScopedWmiLocatorFactory none{TWmiLocatorFactory{}};
  TWin32_PhysicalMemory memory(true);
  EXPECT_EQ(memory.CollectionCount(), -1);
}

TEST(WmiClass, ConversionErrorOnTheFirstInstanceFailsTheLoad) {
  auto wmi = TwoModules();
  wmi->Classes["Win32_PhysicalMemory"][0].Properties[0].second = TVariant("not a number");
  TFakeWmiScope scope(wmi);
  TWin32_PhysicalMemory memory(true);
  EXPECT_FALSE(memory.Loaded);
  EXPECT_EQ(memory.CollectionCount(), -1);
}

TEST(WmiClass, ConversionErrorOnALaterSelectionIsRaisedWithTheIndexMoved) {
  auto wmi = TwoModules();
  // Capacity (filled second) fails; BankLabel (first) already holds instance 1's value.
  wmi->Classes["Win32_PhysicalMemory"][0].Properties.push_back({"BankLabel", TVariant("BANK 0")});
  wmi->Classes["Win32_PhysicalMemory"][1].Properties.push_back({"BankLabel", TVariant("BANK 1")});
  wmi->Classes["Win32_PhysicalMemory"][1].Properties[0].second = TVariant("16 GB");
  TFakeWmiScope scope(wmi);
  TWin32_PhysicalMemory memory(true);
  ASSERT_TRUE(memory.Loaded);
  EXPECT_THROW(memory.SetCollectionIndex(1), EVariantError);
  EXPECT_EQ(memory.CollectionIndex, 1);
  EXPECT_EQ(memory.BankLabel, "BANK 1");
  EXPECT_EQ(memory.Capacity, 8589934592LL);  // still the first instance's value
  EXPECT_EQ(memory.DeviceLocator, "DIMM 0");
}

TEST(WmiClass, PropertyNamesComeFromTheFirstInstanceAndSurviveReloads) {
  auto wmi = TwoModules();
  TFakeWmiScope scope(wmi);
  TWin32_PhysicalMemory memory(true);
  const auto names = memory.PropertyNames;
  wmi->Classes["Win32_PhysicalMemory"][0].Properties.push_back({"Speed", TVariant(1600)});
  EXPECT_TRUE(memory.LoadCollection());
  EXPECT_EQ(memory.PropertyNames, names);
  EXPECT_EQ(memory.Speed, 0u);  // Speed is not among the first load's names
}

TEST(WmiClass, LookupIgnoresCaseAndUnknownNamesReadNull) {
  auto wmi = TwoModules();
  TFakeWmiScope scope(wmi);
  TWin32_PhysicalMemory memory(true);
  EXPECT_EQ(memory.GetPropertyValue("capacity"), TVariant("8589934592"));
  EXPECT_EQ(memory.GetPropertyValueAt("DEVICELOCATOR", 1), TVariant("DIMM 1"));
  EXPECT_TRUE(memory.GetPropertyValue("NoSuchProperty").IsNull());
  EXPECT_THROW(memory.GetPropertyValueAt("Capacity", 2), std::out_of_range);
}

TEST(WmiClass, LookupFindsTheFirstEqualNameInAnyOrder) {
  auto wmi = std::make_shared<TFakeWmi>();
  wmi->Classes["Win32_PhysicalMemory"] = {TFakeInstance{
      {{"Speed", TVariant(1)}, {"speed", TVariant(2)}, {"Capacity", TVariant("8")}, {"Tag", TVariant("t")}}}};
  TFakeWmiScope scope(wmi);
  TWin32_PhysicalMemory memory(true);
  ASSERT_TRUE(memory.Loaded);
  // Asked out of order and again: always the first of two equal names.
  EXPECT_EQ(memory.GetPropertyValue("Tag"), TVariant("t"));
  EXPECT_EQ(memory.GetPropertyValue("SPEED"), TVariant(1));
  EXPECT_EQ(memory.GetPropertyValue("speed"), TVariant(1));
  EXPECT_EQ(memory.GetPropertyValue("Capacity"), TVariant("8"));
  EXPECT_EQ(memory.GetPropertyValue("Speed"), TVariant(1));
  EXPECT_EQ(memory.Speed, 1u);
}

TEST(WmiClass, ClearCollectionKeepsNamesAndFields) {
  auto wmi = TwoModules();
  TFakeWmiScope scope(wmi);
  TWin32_PhysicalMemory memory(true);
  memory.ClearCollection();
  EXPECT_EQ(memory.CollectionCount(), 0);
  EXPECT_EQ(memory.CollectionIndex, -1);
  EXPECT_FALSE(memory.PropertyNames.empty());
  EXPECT_EQ(memory.DeviceLocator, "DIMM 0");
}

TEST(WmiClass, FindCollectionIndexUsesVariantEquality) {
  auto wmi = TwoModules();
  TFakeWmiScope scope(wmi);
  TWin32_PhysicalMemory memory(true);
  EXPECT_EQ(memory.FindCollectionIndex("DeviceLocator", TVariant("DIMM 1")), 1);
  EXPECT_EQ(memory.FindCollectionIndex("Capacity", TVariant(std::int64_t{8589934592LL})), 0);
  EXPECT_EQ(memory.FindCollectionIndex("DeviceLocator", TVariant("DIMM 9")), -1);
}

TEST(WmiClass, TheBaseClassCannotSelectSoItsLoadFails) {
  auto wmi = TwoModules();
  TFakeWmiScope scope(wmi);
  TWmiClass plain(true, "root\\CIMV2", "Win32_PhysicalMemory");
  EXPECT_FALSE(plain.Loaded);
  try {
    plain.SetCollectionIndex(0);
    FAIL() << "expected an error";
  } catch (const std::exception& error) {
    EXPECT_STREQ(error.what(), "You must override this method SetCollectionIndex");
  }
  TWmiClass unloaded(false, "root\\CIMV2", "Win32_PhysicalMemory");
  EXPECT_EQ(unloaded.CollectionCount(), -1);
  EXPECT_EQ(wmi->Queries, 1);
}

TEST(WmiClass, ProviderThatCannotListNamesFallsBackToTheRecordsNames) {
  auto wmi = TwoModules();
  wmi->FailListNames = true;
  TFakeWmiScope scope(wmi);
  TWin32_PhysicalMemory memory(true);
  ASSERT_TRUE(memory.Loaded);
  EXPECT_EQ(memory.PropertyNames.front(), "BankLabel");
  EXPECT_EQ(memory.DeviceLocator, "DIMM 0");
  EXPECT_EQ(memory.Capacity, 8589934592LL);
  // The plain class has no names of its own to fall back on.
  TWmiClass plain(true, "root\\CIMV2", "Win32_PhysicalMemory");
  EXPECT_FALSE(plain.Loaded);
}

TEST(WmiClass, AtMost256PropertiesAreKept) {
  auto wmi = std::make_shared<TFakeWmi>();
  TFakeInstance wide;
  for (int i = 0; i < 300; ++i) wide.Properties.push_back({"P" + std::to_string(i), TVariant(i)});
  wide.Properties.push_back({"DeviceLocator", TVariant("beyond")});
  wmi->Classes["Win32_PhysicalMemory"] = {wide};
  TFakeWmiScope scope(wmi);
  TWin32_PhysicalMemory memory(true);
  ASSERT_TRUE(memory.Loaded);
  EXPECT_EQ(memory.PropertyNames.size(), kMaxWmiProperties);
  EXPECT_EQ(memory.GetPropertyValue("P255"), TVariant(255));
  EXPECT_TRUE(memory.GetPropertyValue("DeviceLocator").IsNull());
}

}  // namespace
}  // namespace dimmscope
