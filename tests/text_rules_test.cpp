// The cases of tests/cases/text_rules.txt: update replies, inventory reals,
// manufacturer texts, size-unit labels, links-file addresses and JSON strings
// at the edges of their rules.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>

#include "app/main_commands.h"
#include "app/memory_names.h"
#include "app/report_json.h"
#include "support/text_helpers.h"
#include "tests/case_table.h"
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
      {"reply", Reply}, {"real", Real}, {"maker", ManufacturerName}, {"unit", Unit}, {"link", Link}, {"json", JsonString}};
  for (const auto& c : testing::CaseTable("text_rules.txt")) {
    ASSERT_TRUE(c.Fields.size() == 3 && kinds.count(c[0])) << c.Where;
    EXPECT_EQ(kinds.at(c[0])(c[1]), c[2]) << c.Where;
  }
}

}  // namespace
}  // namespace dimmscope
