// The Null-aware helpers and variant conversions the records rely on.
#include "wmi/variant.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/case_table.h"
#include "wmi/inventory_file.h"

namespace dimmscope {
namespace {

TVariant Value(const std::string& text) {
  if (text == "object") return TVariant(std::make_shared<TVariantObject>());
  return ParseInventory("[A]\nX = " + text + "\n", "case").Instances[0].Properties[0].second;
}

std::string Number(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.17g", value);
  return buffer;
}

std::string Convert(const std::string& helper, const TVariant& v) {
  if (helper == "str") return VarToStrNull(v);
  if (helper == "word") return std::to_string(VarToWordNull(v));
  if (helper == "cardinal") return std::to_string(VarToCardinalNull(v));
  if (helper == "int64") return std::to_string(VarToInt64Null(v));
  if (helper == "double") return Number(VarToDoubleNull(v));
  if (helper == "bool") return VarToBoolNull(v) ? "true" : "false";
  return Number(WmiDateToDateTime(v).Value);
}

TEST(Variant, ConversionsTable) {
  for (const auto& c : testing::CaseTable("variant.txt")) {
    if (c[0] == "==" || c[0] == "!=") {
      EXPECT_EQ(Value(c[1]) == Value(c[2]), c[0] == "==") << c.Where;
      continue;
    }
    const TVariant value = Value(c[1]);
    std::string result;
    try {
      result = Convert(c[0], value);
    } catch (const std::runtime_error&) {
      result = "error";
    }
    EXPECT_EQ(result, c[2]) << c.Where;
  }
}

}  // namespace
}  // namespace dimmscope
