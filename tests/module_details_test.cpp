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
    m.Speed = n(0);
    m.ConfiguredClockSpeed = n(1);
    m.FormFactor = static_cast<std::uint16_t>(n(2));
    m.TotalWidth = static_cast<std::uint16_t>(n(3));
    m.DataWidth = static_cast<std::uint16_t>(n(4));
    m.TypeDetail = static_cast<std::uint16_t>(n(5));
    m.Attributes = n(6);
    m.ConfiguredVoltage = n(7);
    m.MinVoltage = n(8);
    m.MaxVoltage = n(9);
    EXPECT_EQ(ModuleTip(m), c[10]) << c.Where;
    EXPECT_EQ(RunsBelowRating(m), c[11] == "below") << c.Where;
  }
}

}  // namespace
}  // namespace dimmscope
