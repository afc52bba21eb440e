// Maker names from texts and JEP106 codes; memory type names and PC ratings.
#include "app/memory_names.h"

#include <gtest/gtest.h>

#include "tests/case_table.h"

namespace dimmscope {
namespace {

TEST(MemoryNames, MakerNamesTable) {
  for (const auto& c : testing::CaseTable("maker_names.txt")) EXPECT_EQ(ManufacturerName(c[0]), c[1]) << c.Where;
}

TEST(MemoryNames, TypeNamesAndRatingsTable) {
  for (const auto& c : testing::CaseTable("memory_types.txt")) {
    const auto speed = static_cast<std::uint32_t>(std::stoul(c[1]));
    const auto name =
        MemoryTypeName(static_cast<std::uint16_t>(std::stoi(c[0])), speed, static_cast<std::uint16_t>(std::stoi(c[2])));
    EXPECT_EQ(TypeWithSpeedRating(name, speed), c[3]) << c.Where;
  }
}

}  // namespace
}  // namespace dimmscope
