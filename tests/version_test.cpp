// Version numbers: the ".0" padding, the field conversion and 65535 cap, the
// 32-bit halves, validity and the two orderings.
#include "update/version.h"

#include <gtest/gtest.h>

namespace dimmscope {
namespace {

std::string Fields(const TTavoVersion& v) {
  return std::to_string(v.Major) + "|" + std::to_string(v.Minor) + "|" + std::to_string(v.Release) + "|" +
         std::to_string(v.Build);
}

TEST(TTavoVersion, FourPartText) {
  const TTavoVersion v("1.8.0.19");
  EXPECT_EQ(Fields(v), "1|8|0|19");
  EXPECT_EQ(v.VH(), 65544u);
  EXPECT_EQ(v.VL(), 19u);
  EXPECT_EQ(v.VHString(), "65544");
  EXPECT_EQ(v.VLString(), "19");
  EXPECT_EQ(v.AsString(), "1.8.0.19");
  EXPECT_TRUE(v.IsValid());
}

TEST(TTavoVersion, ShortTextsArePaddedWithZeros) {
  EXPECT_EQ(Fields(TTavoVersion("2")), "2|0|0|0");
  EXPECT_EQ(Fields(TTavoVersion("1.8")), "1|8|0|0");
  EXPECT_EQ(Fields(TTavoVersion("1.8.3")), "1|8|3|0");
  EXPECT_EQ(TTavoVersion("1.8").VHString(), "65544");
  EXPECT_EQ(Fields(TTavoVersion("1..2")), "1|0|2|0");  // an empty piece is 0
}

TEST(TTavoVersion, EmptyTextIsNotValid) {
  const TTavoVersion v("");
  EXPECT_EQ(Fields(v), "0|0|0|0");
  EXPECT_FALSE(v.IsValid());
  EXPECT_EQ(v.AsString(), "0.0.0.0");
  EXPECT_FALSE(TTavoVersion().IsValid());
  EXPECT_FALSE(TTavoVersion("0.0.0.0").IsValid());
  EXPECT_TRUE(TTavoVersion("0.0.0.1").IsValid());
  EXPECT_FALSE(TTavoVersion("garbage").IsValid());
  EXPECT_FALSE(TTavoVersion("<html>").IsValid());
}

TEST(TTavoVersion, UnreadableFieldsAreZero) {
  EXPECT_EQ(Fields(TTavoVersion("1.2.3.70000")), "1|2|3|0");
  EXPECT_EQ(Fields(TTavoVersion("1.2.3.65535")), "1|2|3|65535");
  EXPECT_EQ(Fields(TTavoVersion("65536.1.1.1")), "0|1|1|1");
  EXPECT_EQ(Fields(TTavoVersion("1.2.3.4.5")), "1|2|3|0");  // Build is "4.5"
  // A reply body that ends in a line break loses its Build.
  const TTavoVersion newline("1.8.0.20\r\n");
  EXPECT_EQ(Fields(newline), "1|8|0|0");
  EXPECT_EQ(newline.AsString(), "1.8.0.0");
  EXPECT_EQ(Fields(TTavoVersion("1.8.0.20\n")), "1|8|0|0");
  EXPECT_EQ(Fields(TTavoVersion("1.8b.0.20")), "1|0|0|20");
  EXPECT_EQ(Fields(TTavoVersion("1.8 .0.20")), "1|0|0|20");  // trailing blank
  EXPECT_EQ(Fields(TTavoVersion("1. 8.0.20")), "1|8|0|20");  // leading blank
}

TEST(TTavoVersion, NegativeFieldsPassUnchanged) {
  const TTavoVersion v("-1.5.0.0");
  EXPECT_EQ(Fields(v), "-1|5|0|0");
  EXPECT_EQ(v.AsString(), "-1.5.0.0");
  EXPECT_EQ(v.VH(), 0xFFFF0005u);  // wraps in 32 bits
  EXPECT_TRUE(v.IsValid());        // -1 + 5 > 0
  EXPECT_FALSE(TTavoVersion("-5.1.1.1").IsValid());
  EXPECT_FALSE(TTavoVersion("-2147483648.0.0.0").IsValid());
}

TEST(VersionFieldToInt, ReadsTheNumberFormsOfTheDottedText) {
  EXPECT_EQ(VersionFieldToInt("42"), 42);
  EXPECT_EQ(VersionFieldToInt("  42"), 42);
  EXPECT_EQ(VersionFieldToInt("+42"), 42);
  EXPECT_EQ(VersionFieldToInt("-42"), -42);
  EXPECT_EQ(VersionFieldToInt("007"), 7);
  EXPECT_EQ(VersionFieldToInt("$1F"), 31);
  EXPECT_EQ(VersionFieldToInt("0x1f"), 31);
  EXPECT_EQ(VersionFieldToInt("x10"), 16);
  EXPECT_EQ(VersionFieldToInt("-$10"), -16);
  EXPECT_EQ(VersionFieldToInt("$FFFFFFFF"), -1);
  EXPECT_EQ(VersionFieldToInt("2147483647"), 2147483647);
  EXPECT_EQ(VersionFieldToInt("-2147483648"), -2147483647 - 1);
  for (const char* unreadable : {"", " ", "-", "+", "$", "0x", "2147483648", "-2147483649", "99999999999999999999",
                                 "$100000000", "12a", "1 2", "42 ", "\t42", "4.5", "1e3", "0b1", "$G"}) {
    EXPECT_EQ(VersionFieldToInt(unreadable), 0) << '"' << unreadable << '"';
  }
}

TEST(TTavoVersion, IsNewerThanComparesFieldByField) {
  EXPECT_TRUE(TTavoVersion("1.9.0.0").IsNewerThan(TTavoVersion("1.8.0.19")));
  EXPECT_FALSE(TTavoVersion("1.8.0.19").IsNewerThan(TTavoVersion("1.8.0.19")));
  EXPECT_TRUE(TTavoVersion("1.8.1.0").IsNewerThan(TTavoVersion("1.8.0.65535")));
  EXPECT_FALSE(TTavoVersion("1.8.0.65535").IsNewerThan(TTavoVersion("1.8.1.0")));
  EXPECT_TRUE(TTavoVersion("2").IsNewerThan(TTavoVersion("1.65535.65535.65535")));
  EXPECT_FALSE(TTavoVersion("1.8.0.18").IsNewerThan(TTavoVersion("1.8.0.19")));
  EXPECT_TRUE(TTavoVersion("1.8.0.19").IsNewerThan(TTavoVersion("")));
  EXPECT_FALSE(TTavoVersion("-1.0.0.0").IsNewerThan(TTavoVersion("0.0.0.1")));  // signed
}

TEST(TTavoVersion, IsNewerThanHLComparesUnsignedHalves) {
  const TTavoVersion v("1.8.0.20");
  EXPECT_TRUE(v.IsNewerThanHL(65544, 19));
  EXPECT_FALSE(v.IsNewerThanHL(65544, 20));
  EXPECT_FALSE(v.IsNewerThanHL(65544, 21));
  EXPECT_FALSE(v.IsNewerThanHL(65545, 0));
  EXPECT_TRUE(v.IsNewerThanHL(65543, 0xFFFFFFFFu));
  // As unsigned numbers a negative Major is the largest.
  EXPECT_TRUE(TTavoVersion("-1.0.0.0").IsNewerThanHL(0x7FFFFFFFu, 0));
  EXPECT_FALSE(TTavoVersion("1.0.0.0").IsNewerThanHL(0x80000000u, 0));
}

}  // namespace
}  // namespace dimmscope
