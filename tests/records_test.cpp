// The two typed records: every field filled from its own property by its own
// helper, with the exact property names.
#include <gtest/gtest.h>

#include <iomanip>
#include <map>
#include <sstream>

#include "tests/case_table.h"
#include "wmi/physical_memory.h"
#include "wmi/physical_memory_array.h"
#include "wmi/replay_provider.h"

namespace dimmscope {
namespace {

// A field's value as the table writes it.
template <class T>
std::string Text(const T& value) {
  std::ostringstream out;
  out << std::boolalpha << std::setprecision(17) << value;
  return out.str();
}
std::string Text(TDateTime value) { return Text(value.Value); }

// clang-format off
#define F(name) {#name, Text(r.name)}
std::map<std::string, std::string> Fields(const TWin32_PhysicalMemory& r) {
  return {F(BankLabel), F(Capacity), F(Caption), F(CreationClassName), F(DataWidth), F(Description),
          F(DeviceLocator), F(FormFactor), F(HotSwappable), F(InstallDate), F(InterleaveDataDepth),
          F(InterleavePosition), F(Manufacturer), F(MemoryType), F(Model), F(Name), F(OtherIdentifyingInfo),
          F(PartNumber), F(PositionInRow), F(PoweredOn), F(Removable), F(Replaceable), F(SerialNumber), F(SKU),
          F(Speed), F(Status), F(Tag), F(TotalWidth), F(TypeDetail), F(Version), F(SMBIOSMemoryType),
          F(ConfiguredClockSpeed), F(Attributes), F(ConfiguredVoltage), F(MinVoltage), F(MaxVoltage)};
}
std::map<std::string, std::string> Fields(const TWin32_PhysicalMemoryArray& r) {
  return {F(Caption), F(CreationClassName), F(Depth), F(Description), F(Height), F(HotSwappable), F(InstallDate),
          F(Location), F(Manufacturer), F(MaxCapacity), F(MemoryDevices), F(MemoryErrorCorrection), F(Model),
          F(Name), F(OtherIdentifyingInfo), F(PartNumber), F(PoweredOn), F(Removable), F(Replaceable),
          F(SerialNumber), F(SKU), F(Status), F(Tag), F(Use), F(Version), F(Weight), F(Width)};
}
#undef F
// clang-format on

TEST(Records, FieldsTable) {
  const auto cases = testing::CaseTable("records.txt");
  std::string inventory;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    if (i == 0 || cases[i][0] != cases[i - 1][0]) inventory += "[" + cases[i][0] + "]\n";
    inventory += cases[i][1] + " = " + cases[i][2] + "\n";
  }
  TScopedWmiLocatorFactory scope(
      MakeReplayLocatorFactory(std::make_shared<const TInventory>(ParseInventory(inventory, "records.txt"))));
  std::map<std::string, std::map<std::string, std::string>> fields = {
      {"Win32_PhysicalMemory", Fields(TWin32_PhysicalMemory(true))},
      {"Win32_PhysicalMemoryArray", Fields(TWin32_PhysicalMemoryArray(true))}};
  EXPECT_EQ(fields["Win32_PhysicalMemory"].size() + fields["Win32_PhysicalMemoryArray"].size(), cases.size());
  for (const auto& c : cases) EXPECT_EQ(fields.at(c[0]).at(c[1]), c[3]) << c.Where;
}

}  // namespace
}  // namespace dimmscope
