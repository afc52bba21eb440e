// The memory-load graph after a run of updates, pixel by pixel, against the
// picture in tests/cases/strip_chart.txt: its geometry, grid, baseline,
// scrolling and trace arithmetic all show there.
#include "app/strip_chart.h"

#include <gtest/gtest.h>

#include "tests/case_table.h"

namespace dimmscope {
namespace {

TEST(StripChart, PictureAfterFiftyUpdates) {
  TStripChart chart;
  for (int i = 0; i < 50; ++i) {
    chart.SetValue(i < 40 ? i * 53 % 127 : 80);
    chart.Advance();
  }
  const auto rows = testing::CaseTable("strip_chart.txt");
  ASSERT_EQ(static_cast<int>(rows.size()), chart.Height());
  for (int y = 0; y < chart.Height(); ++y) {
    std::string row;
    for (int x = 0; x < chart.Width(); ++x) {
      const TChartColor pixel = chart.Pixel(x, y);
      row += pixel == kChartBlack   ? '.'
             : pixel == kChartGreen ? 'g'
             : pixel == kChartRed   ? 'R'
             : pixel == kChartLime  ? 'o'
                                    : '?';
    }
    EXPECT_EQ(row, rows[static_cast<std::size_t>(y)][0]) << rows[static_cast<std::size_t>(y)].Where;
  }
}

}  // namespace
}  // namespace dimmscope
