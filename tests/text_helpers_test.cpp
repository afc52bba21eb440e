// Size texts and the case-insensitive text tests and fields.
#include "support/text_helpers.h"

#include <gtest/gtest.h>

#include "tests/case_table.h"

namespace dimmscope {
namespace {

std::string Apply(const testing::TCase& c) {
  const auto& f = c.Fields;
  if (f[0] == "size" || f[0] == "size,") {
    DecimalSeparator = f[0].back() == ',' ? ',' : '.';
    return FormatSize(std::stoll(f[1]));
  }
  if (f[0] == "starts") return YesNo(StartsText(f[1], f[2]));
  if (f[0] == "contains") return YesNo(ContainsText(f[1], f[2]));
  if (f[0] == "same") return YesNo(SameText(f[1], f[2]));
  if (f[0] == "prefix") return RemovePrefixText(f[1], f[2]);
  if (f[0] == "count") return std::to_string(FieldCount(f[1], f[2]));
  return GetField(f[1], std::stoi(f[2]), f[3]);
}

TEST(TextHelpers, Table) {
  SizeUnitNames = {"B", "KB", "MB", "GB", "TB"};
  for (const auto& c : testing::CaseTable("text.txt")) EXPECT_EQ(Apply(c), c.Fields.back()) << c.Where;
  SizeUnitNames = {};
  DecimalSeparator = '.';
}

}  // namespace
}  // namespace dimmscope
