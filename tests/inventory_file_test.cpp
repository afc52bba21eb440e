// The inventory file format: reading, writing and the replay provider serving it.
#include "wmi/inventory_file.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "tests/case_table.h"
#include "tests/fake_wmi_provider.h"
#include "tests/scratch_folder.h"
#include "wmi/physical_memory.h"
#include "wmi/replay_provider.h"

namespace dimmscope {
namespace {

// Every type of value, with a byte-order mark, blanks, CR-LF line ends and
// escapes in the file, written back in the one form the writer uses.
TEST(InventoryFile, ReadsTypedValuesAndWritesThemBack) {
  EXPECT_EQ(FormatInventory(LoadInventoryFile(testing::FixturePath("format/typed_values.ini"))),
            FileContents(testing::FixturePath("format/typed_values.expect")));
}

TEST(InventoryFile, ErrorsTable) {
  for (const auto& c : testing::CaseTable("inventory_errors.txt")) {
    std::string message = "no error";
    try {
      ParseInventory(c[0], "inv.ini");
    } catch (const EInventoryError& error) {
      message = error.what();
    }
    EXPECT_EQ(message, c[1]) << c.Where;
  }
}

TEST(InventoryFile, WhatTheFormatCannotHold) {
  TInventory inventory;
  inventory.Instances.push_back({"A",
                                 {{"Inf", TVariant(std::numeric_limits<double>::infinity())},
                                  {"Obj", TVariant(std::make_shared<TVariantObject>())}}});
  EXPECT_EQ(FormatInventory(inventory),
            "[A]\n# Inf was not a finite number\nInf = null\n# Obj was an object\nObj = null\n");
  inventory.Instances[0].Properties.push_back({"X = 1\n[B]", TVariant(1)});
  EXPECT_THROW(FormatInventory(inventory), EInventoryError);
  inventory.Instances = {{"Win32 Memory", {}}};
  EXPECT_THROW(FormatInventory(inventory), EInventoryError);
  inventory.Instances = {{"A", {}}};
  EXPECT_THROW(SaveInventoryFile(testing::FixturePath("no-such-folder/out.ini"), inventory), EInventoryError);
}

TEST(ReplayProvider, ServesInstancesInFileOrderWithLaterGapsAsNull) {
  TScopedWmiLocatorFactory scope(MakeReplayLocatorFactory(std::make_shared<const TInventory>(ParseInventory(
      "[Win32_PhysicalMemory]\nDeviceLocator = \"A\"\nSerialNumber = \"1\"\n[Win32_PhysicalMemoryArray]\n"
      "MemoryDevices = 2\n[win32_physicalmemory]\nDeviceLocator = \"B\"\nExtra = 5\n",
      "inv.ini"))));
  TWin32_PhysicalMemory memory(true);
  ASSERT_EQ(memory.CollectionCount(), 2);
  EXPECT_EQ(memory.PropertyNames, (std::vector<std::string>{"DeviceLocator", "SerialNumber"}));
  memory.SetCollectionIndex(1);
  EXPECT_EQ(memory.DeviceLocator, "B");
  EXPECT_TRUE(memory.GetPropertyValue("SerialNumber").IsNull());
  TScopedWmiLocatorFactory none(MakeReplayLocatorFactory(std::make_shared<const TInventory>()));
  EXPECT_EQ(TWin32_PhysicalMemory(true).CollectionCount(), 0);  // a class the file does not list
}

}  // namespace
}  // namespace dimmscope
