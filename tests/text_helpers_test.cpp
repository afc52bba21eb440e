// Size texts, URL encoding and the case-insensitive text tests.
#include "support/text_helpers.h"

#include <gtest/gtest.h>

namespace dimmscope {
namespace {

class FormatSizeTest : public ::testing::Test {
 protected:
  void SetUp() override { SizeUnitNames = {"B", "KB", "MB", "GB", "TB"}; }
  void TearDown() override {
    SizeUnitNames = {};
    DecimalSeparator = '.';
  }
};

TEST_F(FormatSizeTest, BytesArePaddedToFourColumns) {
  EXPECT_EQ(FormatSize(0), "0    B");
  EXPECT_EQ(FormatSize(5), "5    B");
  EXPECT_EQ(FormatSize(512), "512  B");
  EXPECT_EQ(FormatSize(1000), "1000 B");
  EXPECT_EQ(FormatSize(1023), "1023 B");
}

TEST_F(FormatSizeTest, LargerUnitsUseThreeSignificantDigits) {
  constexpr std::int64_t KiB = 1024, GiB = KiB * KiB * KiB, TiB = GiB * KiB;
  EXPECT_EQ(FormatSize(1024), "1 KB");
  EXPECT_EQ(FormatSize(1536), "1.5 KB");
  EXPECT_EQ(FormatSize(1048575), "1023 KB");
  EXPECT_EQ(FormatSize(1000 * KiB), "1000 KB");
  EXPECT_EQ(FormatSize(static_cast<std::int64_t>(1023.9 * KiB)), "1023 KB");
  EXPECT_EQ(FormatSize(GiB), "1 GB");
  EXPECT_EQ(FormatSize(8 * GiB), "8 GB");
  EXPECT_EQ(FormatSize(3780000000LL), "3.52 GB");
  EXPECT_EQ(FormatSize(TiB + TiB / 2), "1.5 TB");
  EXPECT_EQ(FormatSize(2000 * TiB), "2000 TB");
  EXPECT_EQ(FormatSize(5000 * TiB), "5000 TB");
  EXPECT_EQ(FormatSize(static_cast<std::int64_t>(999.7 * KiB)), "1000 KB");  // never an exponent
}

TEST_F(FormatSizeTest, LocaleDecimalSeparator) {
  DecimalSeparator = ',';
  EXPECT_EQ(FormatSize(1536LL * 1024 * 1024), "1,5 GB");
}

TEST(FormatSize, BeforeTheUnitNamesAreSet) { EXPECT_EQ(FormatSize(1536), "1.5 "); }

TEST(UrlEncode, KeepsUnreservedAndEscapesTheRest) {
  EXPECT_EQ(UrlEncode("Kingston 99U5471"), "Kingston%2099U5471");
  EXPECT_EQ(UrlEncode("a/b+c"), "a%2Fb%2Bc");
  EXPECT_EQ(UrlEncode("~"), "%7E");
  EXPECT_EQ(UrlEncode("A-z_0.9"), "A-z_0.9");
  EXPECT_EQ(UrlEncode(std::string("\xE9\n", 2)), "%E9%0A");
  EXPECT_EQ(UrlEncode(""), "");
}

TEST(TextTests, FoldOnlyAsciiLetters) {
  EXPECT_TRUE(StartsText("jedec id:CE", "JEDEC ID:"));
  EXPECT_TRUE(StartsText("abc", ""));
  EXPECT_FALSE(StartsText("ab", "abc"));
  EXPECT_FALSE(ContainsText("", "anything"));
  EXPECT_TRUE(ContainsText("HYNIX", "SK hynix"));
  EXPECT_FALSE(ContainsText("\xC9", "\xE9"));  // accented letters match exactly
  EXPECT_TRUE(SameText("N/a", "n/A"));
  EXPECT_EQ(YesNo(true), "Yes");
  EXPECT_EQ(YesNo(false), "No");
}

TEST(TextTests, RemovePrefixTrimsOnlyWhenThePrefixIsThere) {
  EXPECT_EQ(RemovePrefixText("JEDEC ID: CE \t", "JEDEC ID:"), "CE");
  EXPECT_EQ(RemovePrefixText("  CE  ", "JEDEC ID:"), "  CE  ");
  EXPECT_EQ(RemovePrefixText("JEDEC", "JEDEC ID:"), "JEDEC");
}

TEST(TextTests, Fields) {
  EXPECT_EQ(FieldCount("1.8", "."), 2);
  EXPECT_EQ(FieldCount("", "."), 0);
  EXPECT_EQ(FieldCount("...", "."), 4);
  EXPECT_EQ(GetField("1.8.0.20", 3, "."), "20");
  EXPECT_EQ(GetField("1.8.0.20", 0, "."), "1");
  EXPECT_EQ(GetField("a;;b", 1, ";"), "");
  EXPECT_EQ(GetField("a;;b", 2, ";"), "b");
  EXPECT_EQ(GetField("a.b", 2, "."), "");
  EXPECT_EQ(GetField("a.b", -1, "."), "");
}

}  // namespace
}  // namespace dimmscope
