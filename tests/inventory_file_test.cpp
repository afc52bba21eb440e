// The inventory file format and the replay provider serving it.
#include "wmi/inventory_file.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "tests/fake_wmi_provider.h"
#include "wmi/physical_memory.h"
#include "wmi/replay_provider.h"

namespace dimmscope {
namespace {

std::string ErrorOf(const std::string& text) {
  try {
    ParseInventory(text, "inv.ini");
  } catch (const EInventoryError& error) {
    return error.what();
  }
  return "no error";
}

TEST(InventoryFile, TypedValuesInFileOrder) {
  const TInventory inv = ParseInventory(
      "\xEF\xBB\xBF# a comment\r\n"
      "\n"
      "[Win32_PhysicalMemory]\r\n"
      "  Text=\"  padded \\\"x\\\" \\\\ \\t\\n\\r\\x7F\\xff  \"   \r\n"
      "Int = -42\n"
      "Big = 9223372036854775807\n"
      "Real = 1.5\n"
      "Exp = 2e3\n"
      "Yes = true\n"
      "No = false\n"
      "Nothing = null\n"
      "Blank = empty\n"
      "[Win32_PhysicalMemoryArray]\n",
      "inv.ini");
  ASSERT_EQ(inv.Instances.size(), 2u);
  const auto& p = inv.Instances[0].Properties;
  ASSERT_EQ(p.size(), 9u);
  EXPECT_EQ(inv.Instances[0].ClassName, "Win32_PhysicalMemory");
  EXPECT_EQ(p[0].first, "Text");
  EXPECT_EQ(p[0].second, TVariant(std::string("  padded \"x\" \\ \t\n\r\x7F\xff  ")));
  EXPECT_EQ(p[1].second.Type(), TVarType::Integer);
  EXPECT_EQ(p[1].second.Integer(), -42);
  EXPECT_EQ(p[2].second.Integer(), INT64_MAX);
  EXPECT_EQ(p[3].second.Type(), TVarType::Double);
  EXPECT_EQ(p[3].second.Real(), 1.5);
  EXPECT_EQ(p[4].second.Real(), 2000.0);
  EXPECT_EQ(p[5].second.Type(), TVarType::Boolean);
  EXPECT_TRUE(p[5].second.Boolean());
  EXPECT_FALSE(p[6].second.Boolean());
  EXPECT_TRUE(p[7].second.IsNull());
  EXPECT_TRUE(p[8].second.IsEmpty());
  EXPECT_TRUE(inv.Instances[1].Properties.empty());
}

TEST(InventoryFile, ErrorsNameTheFileTheLineAndWhatWasExpected) {
  EXPECT_EQ(ErrorOf("Capacity = 1\n"), "inv.ini:1: expected a '[ClassName]' line before the first property");
  EXPECT_EQ(ErrorOf("[A]\nX = \"open\n"), "inv.ini:2: expected a closing '\"'");
  EXPECT_EQ(ErrorOf("[A]\n\n# c\nX = 12abc\n"), "inv.ini:4: expected a number");
  EXPECT_EQ(ErrorOf("[A]\nX = maybe\n"),
            "inv.ini:2: expected null, empty, true, false, a number or a double-quoted string");
  EXPECT_EQ(ErrorOf("[A]\nX =\n"), "inv.ini:2: expected a value after '='");
  EXPECT_EQ(ErrorOf("[A]\nX 5\n"), "inv.ini:2: expected '=' after the property name X");
  EXPECT_EQ(ErrorOf("[A\n"), "inv.ini:1: expected ']' at the end of the class line");
  EXPECT_EQ(ErrorOf("[]\n"), "inv.ini:1: expected a class name inside '[' and ']'");
  EXPECT_EQ(ErrorOf("[A]\nX = \"a\" b\n"), "inv.ini:2: expected the end of the line after the closing '\"'");
  EXPECT_EQ(ErrorOf("[A]\nX = \"\\q\"\n"), "inv.ini:2: expected one of \\\" \\\\ \\t \\n \\r \\xHH, found '\\q'");
  EXPECT_EQ(ErrorOf("[A]\nX = \"\\x4\"\n"), "inv.ini:2: expected two hexadecimal digits after '\\x'");
  EXPECT_EQ(ErrorOf("[A]\nX = 99999999999999999999\n"),
            "inv.ini:2: expected an integer within the signed 64-bit range");
  EXPECT_EQ(ErrorOf("[A]\nX = 1\nX = 2\n"), "inv.ini:3: expected each property once per instance; X repeats");
  EXPECT_EQ(ErrorOf("[A]\n= 2\n"), "inv.ini:2: expected '[ClassName]', 'Name = value' or a '#' comment");
  EXPECT_EQ(ErrorOf("[A]\nX = 1e\n"), "inv.ini:2: expected digits in the exponent");
  EXPECT_EQ(ErrorOf("[A]\nX = -\n"),
            "inv.ini:2: expected null, empty, true, false, a number or a double-quoted string");
}

TEST(InventoryFile, MissingFileIsAnError) {
  EXPECT_THROW(LoadInventoryFile(testing::FixturePath("no-such-file.ini")), EInventoryError);
}

TEST(ReplayProvider, ServesInstancesInFileOrderWithLaterGapsAsNull) {
  auto inv = std::make_shared<const TInventory>(
      ParseInventory("[Win32_PhysicalMemory]\nDeviceLocator = \"A\"\nSerialNumber = \"1\"\n"
                     "[Win32_PhysicalMemoryArray]\nMemoryDevices = 2\n"
                     "[win32_physicalmemory]\nDeviceLocator = \"B\"\nExtra = 5\n",
                     "inv.ini"));
  TScopedWmiLocatorFactory scope(MakeReplayLocatorFactory(inv));
  TWin32_PhysicalMemory memory(true);
  ASSERT_EQ(memory.CollectionCount(), 2);
  EXPECT_EQ(memory.PropertyNames, (std::vector<std::string>{"DeviceLocator", "SerialNumber"}));
  memory.SetCollectionIndex(1);
  EXPECT_EQ(memory.DeviceLocator, "B");
  EXPECT_EQ(memory.SerialNumber, "");
  EXPECT_TRUE(memory.GetPropertyValue("SerialNumber").IsNull());
}

TEST(ReplayProvider, AClassTheFileDoesNotListHasNoInstances) {
  auto inv = std::make_shared<const TInventory>(ParseInventory("# nothing\n", "inv.ini"));
  TScopedWmiLocatorFactory scope(MakeReplayLocatorFactory(inv));
  TWin32_PhysicalMemory memory(true);
  EXPECT_TRUE(memory.Loaded);
  EXPECT_EQ(memory.CollectionCount(), 0);
}

TEST(ReplayProvider, EverySampleInventoryLoads) {
  for (const char* name :
       {"m0004", "m0031", "m0038", "m0039", "m0050", "m0064", "m0083", "m0101", "m0114", "m0264", "m0334", "m0561"}) {
    auto inv = std::make_shared<const TInventory>(
        LoadInventoryFile(testing::FixturePath(std::string("samples/") + name + ".ini")));
    TScopedWmiLocatorFactory scope(MakeReplayLocatorFactory(inv));
    TWin32_PhysicalMemory memory(true);
    EXPECT_TRUE(memory.Loaded) << name;
    EXPECT_GE(memory.CollectionCount(), 0) << name;
  }
}

}  // namespace
}  // namespace dimmscope

namespace dimmscope {
namespace {

TEST(InventoryFileWriter, ValuesAreWrittenTypedAndEscaped) {
  TInventory inventory;
  inventory.Instances.push_back({"Win32_PhysicalMemory",
                                 {{"S", TVariant(std::string("a\"b\\c\td\xC9", 8))},
                                  {"I", TVariant(-42)},
                                  {"R", TVariant(1e20)},
                                  {"B", TVariant(true)},
                                  {"N", TVariant::Null()},
                                  {"E", TVariant()}}});
  inventory.Instances.push_back({"Win32_PhysicalMemoryArray", {}});
  EXPECT_EQ(FormatInventory(inventory),
            "[Win32_PhysicalMemory]\n"
            "S = \"a\\\"b\\\\c\\td\\xC9\"\n"
            "I = -42\n"
            "R = 1e+20\n"
            "B = true\n"
            "N = null\n"
            "E = empty\n"
            "[Win32_PhysicalMemoryArray]\n");
}

TEST(InventoryFileWriter, ValuesWithoutATextFormAreNullAndSaySo) {
  TInventory inventory;
  inventory.Instances.push_back({"A",
                                 {{"Inf", TVariant(std::numeric_limits<double>::infinity())},
                                  {"Obj", TVariant(std::make_shared<TVariantObject>())}}});
  const std::string text = FormatInventory(inventory);
  EXPECT_EQ(text, "[A]\n# Inf was not a finite number\nInf = null\n# Obj was an object\nObj = null\n");
  EXPECT_NO_THROW(ParseInventory(text, "saved.ini"));
  // Nor can the reader make one: a real beyond the double range is an error.
  EXPECT_THROW(ParseInventory("[A]\nR = 8e88608\n", "inv.ini"), EInventoryError);
  EXPECT_EQ(ParseInventory("[A]\nR = -1e-400\n", "inv.ini").Instances[0].Properties[0].second.Real(), 0.0);
}

TEST(InventoryFileWriter, NamesTheFormatCannotHoldAreErrors) {
  TInventory badClass;
  badClass.Instances.push_back({"Win32 Memory", {}});
  EXPECT_THROW(FormatInventory(badClass), EInventoryError);
  TInventory badProperty;
  badProperty.Instances.push_back({"A", {{"X = 1\n[B]", TVariant(1)}}});
  EXPECT_THROW(FormatInventory(badProperty), EInventoryError);
}

TEST(InventoryFileWriter, EveryFixtureSurvivesWriteAndRead) {
  for (const char* name : {"samples/m0004.ini", "samples/m0101.ini", "scan/odd_values.ini", "scan/four_modules.ini",
                           "scan/six_modules_two_arrays.ini"}) {
    const TInventory original = LoadInventoryFile(testing::FixturePath(name));
    const std::string text = FormatInventory(original);
    EXPECT_EQ(FormatInventory(ParseInventory(text, name)), text) << name;
  }
}

TEST(InventoryFileWriter, SaveWritesTheFileAndReportsFailure) {
  TInventory inventory;
  inventory.Instances.push_back({"A", {{"X", TVariant("y")}}});
  EXPECT_THROW(SaveInventoryFile(testing::FixturePath("no-such-folder/out.ini"), inventory), EInventoryError);
}

}  // namespace
}  // namespace dimmscope
