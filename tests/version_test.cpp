// Version numbers: parsing, the 32-bit halves, validity and the two orderings.
#include "update/version.h"

#include <gtest/gtest.h>

#include "support/text_helpers.h"
#include "tests/case_table.h"

namespace dimmscope {
namespace {

TEST(TTavoVersion, Table) {
  for (const auto& c : testing::CaseTable("version.txt")) {
    const auto& f = c.Fields;
    const TTavoVersion v(f[1]);
    if (f[0] == "parse") {
      EXPECT_EQ(v.AsString() + " " + v.VHString() + " " + v.VLString() + " " + YesNo(v.IsValid()),
                f[2] + " " + f[3] + " " + f[4] + " " + f[5])
          << c.Where;
    } else if (f[0] == "field") {
      EXPECT_EQ(std::to_string(VersionFieldToInt(f[1])), f[2]) << c.Where;
    } else if (f[0] == "newer") {
      EXPECT_EQ(YesNo(v.IsNewerThan(TTavoVersion(f[2]))), f[3]) << c.Where;
    } else {
      const auto vh = static_cast<std::uint32_t>(std::stoul(f[2])), vl = static_cast<std::uint32_t>(std::stoul(f[3]));
      EXPECT_EQ(YesNo(v.IsNewerThanHL(vh, vl)), f[4]) << c.Where;
    }
  }
}

}  // namespace
}  // namespace dimmscope
