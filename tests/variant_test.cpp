// Variant conversions and the Null-aware helpers the records rely on.
#include "wmi/variant.h"

#include <gtest/gtest.h>

#include <cmath>

namespace dimmscope {
namespace {

TEST(Variant, NullGivesEachHelpersDefault) {
  const TVariant null = TVariant::Null();
  EXPECT_EQ(VarToStrNull(null), "");
  EXPECT_EQ(VarToWordNull(null), 0);
  EXPECT_EQ(VarToCardinalNull(null), 0u);
  EXPECT_EQ(VarToInt64Null(null), 0);
  EXPECT_EQ(VarToDoubleNull(null), 0.0);
  EXPECT_FALSE(VarToBoolNull(null));
  EXPECT_EQ(WmiDateToDateTime(null).Value, 0.0);
}

TEST(Variant, EmptyConvertsLikeZero) {
  const TVariant empty;
  EXPECT_EQ(VarToStrNull(empty), "");
  EXPECT_EQ(VarToInt64Null(empty), 0);
  EXPECT_FALSE(VarToBoolNull(empty));
}

TEST(Variant, NumericTextConvertsToNumbers) {
  // WMI hands 64-bit integers over as decimal text: a 16 GiB module.
  EXPECT_EQ(VarToInt64Null(TVariant("17179869184")), 17179869184LL);
  EXPECT_EQ(VarToInt64Null(TVariant(" 42 ")), 42);
  EXPECT_EQ(VarToInt64Null(TVariant("-7")), -7);
  EXPECT_EQ(VarToDoubleNull(TVariant("2.5")), 2.5);
  EXPECT_EQ(VarToInt64Null(TVariant("2.5")), 2);  // rounds half to even
  EXPECT_EQ(VarToInt64Null(TVariant("3.5")), 4);
  EXPECT_THROW(VarToInt64Null(TVariant("--")), EVariantError);
  EXPECT_THROW(VarToInt64Null(TVariant("")), EVariantError);
  EXPECT_THROW(VarToInt64Null(TVariant("99999999999999999999")), EVariantError);
  EXPECT_THROW(VarToDoubleNull(TVariant("nan")), EVariantError);
}

TEST(Variant, WordAndCardinalKeepTheLowBits) {
  // Unsigned 32-bit values come from WMI as signed 32-bit integers.
  EXPECT_EQ(VarToCardinalNull(TVariant(std::int64_t{-1})), 0xFFFFFFFFu);
  EXPECT_EQ(VarToCardinalNull(TVariant(std::int64_t{2147483648LL})), 2147483648u);
  EXPECT_EQ(VarToCardinalNull(TVariant("4294967297")), 1u);
  EXPECT_EQ(VarToWordNull(TVariant(65537)), 1);
  EXPECT_EQ(VarToWordNull(TVariant(-1)), 65535);
  // The word helper goes through a 32-bit integer first.
  EXPECT_THROW(VarToWordNull(TVariant("4294967296")), EVariantError);
}

TEST(Variant, BooleansFromBooleansNumbersAndText) {
  EXPECT_TRUE(VarToBoolNull(TVariant(true)));
  EXPECT_TRUE(VarToBoolNull(TVariant("TRUE")));
  EXPECT_FALSE(VarToBoolNull(TVariant("false")));
  EXPECT_TRUE(VarToBoolNull(TVariant(2)));
  EXPECT_FALSE(VarToBoolNull(TVariant("0")));
  EXPECT_THROW(VarToBoolNull(TVariant("yes")), EVariantError);
  EXPECT_EQ(TVariant(true).AsInt64(), -1);  // automation's VARIANT_TRUE
}

TEST(Variant, TextOfNumbersAndBooleans) {
  EXPECT_EQ(VarToStrNull(TVariant(std::int64_t{-12})), "-12");
  EXPECT_EQ(VarToStrNull(TVariant(1.25)), "1.25");
  EXPECT_EQ(VarToStrNull(TVariant(true)), "True");
  EXPECT_EQ(VarToStrNull(TVariant("  kept as is  ")), "  kept as is  ");
  EXPECT_THROW(VarToStrNull(TVariant(std::make_shared<TVariantObject>())), EVariantError);
}

TEST(Variant, Equality) {
  EXPECT_EQ(TVariant(5), TVariant(std::int64_t{5}));
  EXPECT_EQ(TVariant(5), TVariant(5.0));
  EXPECT_EQ(TVariant("5"), TVariant(5));
  EXPECT_NE(TVariant("five"), TVariant(5));
  EXPECT_EQ(TVariant::Null(), TVariant::Null());
  EXPECT_NE(TVariant::Null(), TVariant());
  EXPECT_NE(TVariant("DIMM 0"), TVariant("dimm 0"));
}

TEST(WmiDate, ReadsTheFirstFourteenCharacters) {
  const TDateTime expected = EncodeDateTime(2024, 1, 15, 10, 30, 0);
  EXPECT_EQ(WmiDateToDateTime(TVariant("20240115103000.000000+060")), expected);
  EXPECT_EQ(WmiDateToDateTime(TVariant("20240115103000.999999-300")), expected);
  EXPECT_EQ(WmiDateToDateTime(TVariant("20240115103000.")), expected);
  EXPECT_EQ(WmiDateToDateTime(TVariant("2024011510300")).Value, 0.0);   // 13 characters
  EXPECT_EQ(WmiDateToDateTime(TVariant("20240115103000")).Value, 0.0);  // 14 characters
  // 15 January 2024 is day 45306 after 30 December 1899; 10:30 is 0.4375 day.
  EXPECT_DOUBLE_EQ(expected.Value, 45306.4375);
}

TEST(WmiDate, MalformedDatesRaise) {
  EXPECT_THROW(WmiDateToDateTime(TVariant("2024AB15103000.000000+000")), EConvertError);
  EXPECT_THROW(WmiDateToDateTime(TVariant("20230229103000.000000+000")), EConvertError);
  EXPECT_THROW(WmiDateToDateTime(TVariant("20240115246000.000000+000")), EConvertError);
  EXPECT_NO_THROW(WmiDateToDateTime(TVariant("20240229000000.000000+000")));
  EXPECT_EQ(EncodeDateTime(1899, 12, 30, 0, 0, 0).Value, 0.0);
}

}  // namespace
}  // namespace dimmscope
