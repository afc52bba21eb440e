// Capturing the inventory through the WMI layer and writing it back out:
// whatever the provider gave must come back unchanged from the file.
#include "app/inventory_capture.h"

#include <gtest/gtest.h>

#include "tests/fake_wmi_provider.h"

namespace dimmscope {
namespace {

using testing::TFakeWmi;

TEST(InventoryCapture, EveryPropertyOfEveryInstanceArraysFirstValuesAsGiven) {
  // Capacity is no number the record could convert; the second instance has
  // the class's properties, the missing ones Null.
  TScopedWmiLocatorFactory scope(testing::FakeWmi(
      "[Win32_PhysicalMemory]\nDeviceLocator = \"A\"\nCapacity = \"oops\"\nOdd = 1.5\n[Win32_PhysicalMemory]\n"
      "DeviceLocator = \"B\"\n[Win32_PhysicalMemoryArray]\nMemoryDevices = 4\n"));
  EXPECT_EQ(FormatInventory(CaptureInventory(), {"two\nlines"}),
            "# two\n# lines\n[Win32_PhysicalMemoryArray]\nMemoryDevices = 4\n[Win32_PhysicalMemory]\n"
            "DeviceLocator = \"A\"\nCapacity = \"oops\"\nOdd = 1.5\n"
            "[Win32_PhysicalMemory]\nDeviceLocator = \"B\"\nCapacity = null\nOdd = null\n");
}

TEST(InventoryCapture, AClassThatCannotBeReadIsSavedEmptyWithANote) {
  // Wine's WMI, for one, has no Win32_PhysicalMemoryArray; the replay must see none either.
  auto wmi = std::make_shared<TFakeWmi>();
  wmi->FailQuery = true;
  TScopedWmiLocatorFactory scope(testing::FakeWmi(wmi));
  std::vector<std::string> notes;
  EXPECT_TRUE(CaptureInventory(&notes).Instances.empty());
  EXPECT_EQ(notes, (std::vector<std::string>{"Win32_PhysicalMemoryArray could not be read; saved without instances",
                                             "Win32_PhysicalMemory could not be read; saved without instances"}));
}

TEST(InventoryCapture, SavedAndParsedBackEqualsWhatWasCapturedValueForValue) {
  auto wmi = std::make_shared<TFakeWmi>(
      "[Win32_PhysicalMemory]\nBlank = \"\"\nInt = -9223372036854775808\nReal = 0.1\nWhole = 3.0\n"
      "Tiny = -4.9e-324\nYes = true\nNothing = null\nUnset = empty\n");
  static const char kText[] = "\"q\" \\ \t\r\n \x01\x7F\x80\xFF;#=[x] \0end";
  wmi->Data.Instances[0].Properties.push_back({"Text", TVariant(std::string(kText, sizeof kText - 1))});
  TScopedWmiLocatorFactory scope(testing::FakeWmi(wmi));
  const TInventory captured = CaptureInventory();
  const TInventory saved = ParseInventory(FormatInventory(captured), "saved.ini");
  const auto& expected = captured.Instances.at(0).Properties;
  ASSERT_EQ(saved.Instances.at(0).Properties.size(), expected.size());
  for (std::size_t p = 0; p < expected.size(); ++p) {
    EXPECT_EQ(saved.Instances[0].Properties[p].second.Type(), expected[p].second.Type()) << expected[p].first;
    EXPECT_EQ(saved.Instances[0].Properties[p], expected[p]);
  }
}

}  // namespace
}  // namespace dimmscope
