// JEP106 maker names read from manufacturer texts, against the case table
// tests/cases/jedec_names.txt.
#include "app/jedec_names.h"

#include <gtest/gtest.h>

#include "tests/case_table.h"

namespace dimmscope {
namespace {

TEST(JedecMakerText, CaseTable) {
  for (const auto& c : testing::CaseTable("jedec_names.txt")) {
    EXPECT_EQ(JedecMakerText(c[0]), c[1] == "-" ? "" : c[1]) << c.Where;
  }
}

}  // namespace
}  // namespace dimmscope
