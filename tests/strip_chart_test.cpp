// The memory-load graph: geometry, scrolling, grid and trace pixels.
#include "app/strip_chart.h"

#include <gtest/gtest.h>

namespace dimmscope {
namespace {

int RowOf(const TStripChart& chart, int x, TChartColor color) {
  for (int y = 0; y < chart.Height(); ++y) {
    if (chart.Pixel(x, y) == color) return y;
  }
  return -1;
}

TEST(StripChart, GeometryOfTheMainWindowsGraph) {
  const TStripChart chart;
  EXPECT_EQ(chart.Width(), 89);
  EXPECT_EQ(chart.Height(), 65);
  EXPECT_DOUBLE_EQ(chart.StepWidth(), 1.0);
  EXPECT_EQ(chart.UpdateWidth(), 2);
  // 5 x 1 / 2 = 2.5 rounds to the even 2.
  EXPECT_EQ(chart.VerticalGridInterval(), 2);
  EXPECT_DOUBLE_EQ(chart.HorzGridSpacing(), 5.0);
  EXPECT_EQ(chart.BaselineY(), 13);  // 65 - round(65 * 80 / 100)
  EXPECT_EQ(chart.ValueToY(100), 0);
  EXPECT_EQ(chart.ValueToY(0), 65);
  EXPECT_EQ(chart.ValueToY(50), 33);  // 32.5 rounds to the even 32
}

TEST(StripChart, RoundsHalvesToEven) {
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(3.5), 4);
  EXPECT_EQ(RoundHalfEven(2.4), 2);
  EXPECT_EQ(RoundHalfEven(2.6), 3);
  EXPECT_EQ(RoundHalfEven(0.5), 0);
}

TEST(StripChart, StartsWithGridAndBaselineOnBlack) {
  const TStripChart chart;
  EXPECT_EQ(chart.Pixel(0, 13), kChartRed);
  EXPECT_EQ(chart.Pixel(40, 8), kChartGreen);   // 5 above the baseline
  EXPECT_EQ(chart.Pixel(40, 18), kChartGreen);  // 5 below
  EXPECT_EQ(chart.Pixel(40, 63), kChartGreen);
  EXPECT_EQ(chart.Pixel(40, 10), kChartBlack);
  ASSERT_EQ(chart.Values().size(), 90u);
  EXPECT_DOUBLE_EQ(chart.Values().back(), 50);
}

TEST(StripChart, EachUpdateScrollsTwoPixelsAndRecordsTheValueTwice) {
  TStripChart chart;
  for (const double value : {30.0, 70.0, 10.0, 55.0}) {
    chart.SetValue(value);
    chart.Advance();
  }
  const std::vector<TChartColor> before = chart.Pixels();
  chart.SetValue(30);
  chart.Advance();
  // Everything left of the redrawn strip moved left by exactly 2 pixels.
  for (int y = 0; y < chart.Height(); ++y) {
    for (int x = 0; x < chart.Width() - 4; ++x) {
      ASSERT_EQ(chart.Pixel(x, y), before[static_cast<std::size_t>(y) * chart.Width() + x + 2]) << x << "," << y;
    }
  }
  EXPECT_EQ(chart.Updates(), 5);
  const auto& values = chart.Values();
  EXPECT_DOUBLE_EQ(values[values.size() - 1], 30);
  EXPECT_DOUBLE_EQ(values[values.size() - 2], 30);
  EXPECT_DOUBLE_EQ(values[values.size() - 3], 55);
  EXPECT_DOUBLE_EQ(values[values.size() - 4], 55);
  EXPECT_DOUBLE_EQ(values[values.size() - 5], 10);
  // The trace passes through the last values at their update positions.
  EXPECT_EQ(chart.Pixel(87, chart.ValueToY(55)), kChartLime);
  EXPECT_EQ(chart.Pixel(85, chart.ValueToY(10)), kChartLime);
}

TEST(StripChart, TraceLiesOnBaselineTopAndBottomForEightyHundredAndZero) {
  for (const auto& [value, row] : {std::pair<double, int>{80, 13}, {100, 0}, {0, 64}}) {
    TStripChart chart;
    for (int i = 0; i < 3; ++i) {
      chart.SetValue(value);
      chart.Advance();
    }
    EXPECT_EQ(RowOf(chart, 87, kChartLime), row) << "value " << value;
  }
}

TEST(StripChart, VerticalGridLineEverySecondUpdateScrollsWithTheTrace) {
  TStripChart chart;
  chart.SetValue(80);  // keeps the trace on the baseline, off the grid rows
  chart.Advance();
  EXPECT_NE(chart.Pixel(88, 40), kChartGreen);
  chart.Advance();
  EXPECT_EQ(chart.Pixel(88, 40), kChartGreen);  // drawn at the right edge
  chart.Advance();
  EXPECT_EQ(chart.Pixel(86, 40), kChartGreen);  // and moved with the picture
  EXPECT_NE(chart.Pixel(88, 40), kChartGreen);
  chart.Advance();
  EXPECT_EQ(chart.Pixel(88, 40), kChartGreen);
  EXPECT_EQ(chart.Pixel(84, 40), kChartGreen);
}

TEST(StripChart, NewStripIsClearedToBackground) {
  TStripChart chart;
  chart.SetValue(100);
  chart.Advance();
  chart.SetValue(80);
  for (int i = 0; i < 60; ++i) chart.Advance();
  // The old trace at the top has scrolled off the picture.
  for (int x = 0; x < chart.Width(); ++x) EXPECT_NE(chart.Pixel(x, 0), kChartLime) << x;
}

}  // namespace
}  // namespace dimmscope
