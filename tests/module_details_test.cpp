// A module's details in words: the Type row's info tip.
#include "app/module_details.h"

#include <gtest/gtest.h>

#include "tests/case_table.h"

namespace dimmscope {
namespace {

TEST(ModuleDetails, TipTable) {
  for (const auto& c : testing::CaseTable("module_tips.txt", '|')) {
    const auto n = [&c](std::size_t i) { return static_cast<std::uint32_t>(std::stoul(c[i], nullptr, 0)); };
    TModuleFacts m;
    m.MemoryType = static_cast<std::uint16_t>(n(0));
    m.SMBIOSMemoryType = static_cast<std::uint16_t>(n(1));
    m.Speed = n(2);
    m.ConfiguredClockSpeed = n(3);
    m.FormFactor = static_cast<std::uint16_t>(n(4));
    m.TotalWidth = static_cast<std::uint16_t>(n(5));
    m.DataWidth = static_cast<std::uint16_t>(n(6));
    m.TypeDetail = static_cast<std::uint16_t>(n(7));
    m.Attributes = n(8);
    m.ConfiguredVoltage = n(9);
    m.MinVoltage = n(10);
    m.MaxVoltage = n(11);
    EXPECT_EQ(ModuleTip(m), c[12]) << c.Where;
    EXPECT_EQ(RunsBelowRating(m), c[13] == "below") << c.Where;
  }
}

}  // namespace
}  // namespace dimmscope
