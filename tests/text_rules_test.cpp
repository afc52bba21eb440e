// The cases of tests/cases/text_rules.txt: update replies, inventory reals,
// manufacturer texts, size-unit labels and links-file addresses at the edges
// of their rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <string>

#include "app/main_commands.h"
#include "app/memory_names.h"
#include "support/text_helpers.h"
#include "tests/fake_wmi_provider.h"
#include "tests/scratch_folder.h"
#include "update/tavo_lite.h"
#include "wmi/inventory_file.h"

namespace dimmscope {
namespace {

std::string Reply(const std::string& Text) {
  const TTavoVersion running("1.8.0.19");
  const TUpdateReply reply = ParseUpdateReply(Text, running.VH(), running.VL());
  return reply.NewVersion ? (reply.ReplyValid ? "new" : "new but invalid") : (reply.ReplyValid ? "current" : "invalid");
}

std::string Real(const std::string& Text) {
  try {
    const TVariant value = ParseInventory("[A]\nX = " + Text + "\n", "inv.ini").Instances[0].Properties[0].second;
    if (value.Type() != TVarType::Double) return "not a real";
    char shown[32];
    std::snprintf(shown, sizeof shown, "%g", value.Real());
    return shown;
  } catch (const EInventoryError& error) {
    return std::string(error.what()).rfind("inv.ini:2: ", 0) == 0 ? "error" : error.what();
  }
}

std::string Link(const std::string& Value) {
  TScratchFolder folder;
  EXPECT_TRUE(WriteFileBytes(folder.Path("dimmscope.ini"), "[links]\r\nram=" + Value + "\r\n"));
  return GetLink(folder.Path("dimmscope.ini"), "ram", "default");
}

// The three forms of the size text: bytes, a whole number of a larger unit,
// three digits.
std::string Unit(const std::string& Label) {
  const auto saved = SizeUnitNames;
  SizeUnitNames = {Label, Label, Label, Label, Label};
  const bool whole = FormatSize(5) == "5    " + Label && FormatSize(2000LL << 40) == "2000 " + Label &&
                     FormatSize(1536) == "1.5 " + Label;
  SizeUnitNames = saved;
  return whole ? "whole" : "cut";
}

TEST(TextRules, EveryCaseOfTheTable) {
  const std::map<std::string, std::function<std::string(const std::string&)>> kinds = {
      {"reply", Reply}, {"real", Real}, {"maker", ManufacturerName}, {"unit", Unit}, {"link", Link}};
  const std::string table = FileContents(testing::FixturePath("../cases/text_rules.txt"));
  int cases = 0;
  for (std::size_t start = 0, end; start < table.size(); start = end + 1) {
    end = std::min(table.find('\n', start), table.size());
    std::string line = table.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const std::size_t first = line.find('|'), second = line.find('|', first + 1);
    const auto kind = kinds.find(line.substr(0, first));
    ASSERT_TRUE(second != std::string::npos && kind != kinds.end()) << line;
    EXPECT_EQ(kind->second(line.substr(first + 1, second - first - 1)), line.substr(second + 1)) << line;
    ++cases;
  }
  EXPECT_GT(cases, 0);
}

}  // namespace
}  // namespace dimmscope
