// JEP106 maker names read from manufacturer texts, against the case table
// tests/fixtures/jedec_names.txt.
#include "app/jedec_names.h"

#include <gtest/gtest.h>

#include <fstream>

#include "fake_wmi_provider.h"

namespace dimmscope {
namespace {

// "\xHH" in a case text stands for that byte.
std::string Unescape(const std::string& text) {
  std::string bytes;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 2, "\\x") == 0 && i + 4 <= text.size()) {
      bytes += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
      i += 3;
    } else {
      bytes += text[i];
    }
  }
  return bytes;
}

TEST(JedecMakerText, CaseTable) {
  std::ifstream in(testing::FixturePath("jedec_names.txt"), std::ios::binary);
  ASSERT_TRUE(in) << "no case table";
  int cases = 0;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const std::size_t tab = line.find('\t');
    ASSERT_NE(tab, std::string::npos) << line;
    const std::string expected = line.substr(tab + 1);
    EXPECT_EQ(JedecMakerText(Unescape(line.substr(0, tab))), expected == "-" ? "" : expected)
        << "text: " << line.substr(0, tab);
    ++cases;
  }
  EXPECT_GT(cases, 50);
}

}  // namespace
}  // namespace dimmscope
