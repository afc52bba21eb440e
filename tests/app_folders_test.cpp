// The path rules of the data folder and the long Windows path form. Where the
// data folder goes is checked on each system by the platform tests.
#include "support/app_folders.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/case_table.h"

namespace dimmscope {
namespace {

TEST(AppFolders, PathsTable) {
  for (auto c : testing::CaseTable("app_folders.txt")) {
    const char delimiter = c[1] == "windows" ? '\\' : '/';
    for (auto& field : c.Fields) std::replace(field.begin(), field.end(), '/', delimiter);
    const std::string result = c[0] == "folder"     ? FolderOfPath(c[2], delimiter == '/' ? "/" : "\\:", delimiter)
                               : c[0] == "trailing" ? WithTrailingDelimiter(c[2], delimiter)
                                                    : LongPathForm(c[2]);
    EXPECT_EQ(result, c[3]) << c.Where;
  }
}

}  // namespace
}  // namespace dimmscope
