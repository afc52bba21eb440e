// The main window's command decisions: web addresses and the module search
// address (the links file's values are in tests/cases/text_rules.txt, the
// export file in the window's end-to-end test).
#include "app/main_commands.h"

#include <gtest/gtest.h>

#include "support/text_helpers.h"
#include "tests/case_table.h"
#include "update/maker_urls.h"

namespace dimmscope {
namespace {

std::string Apply(const testing::TCase& c) {
  const auto& f = c.Fields;
  if (f[0] == "url") return UrlEncode(f[1]);
  if (f[0] == "web") return YesNo(IsWebAddress(f[1]));
  if (f[0] == "ini") return ReadIniString(f[1], f[2], f[3], "-");
  return SearchUrl(
      SpecSearchText({{"Slot Name", "A"}, {"Capacity", "8 GB"}, {"Manufacturer", f[1]}, {"Model", f[2]}}).value());
}

TEST(MainCommands, UrlsTable) {
  for (const auto& c : testing::CaseTable("urls.txt")) EXPECT_EQ(Apply(c), c.Fields.back()) << c.Where;
  EXPECT_FALSE(SpecSearchText(TSlotRows(3, {"a", "b"})).has_value());  // no Model row
}

}  // namespace
}  // namespace dimmscope
