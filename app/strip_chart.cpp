// The memory-load graph's picture and values; see strip_chart.h.
#include "app/strip_chart.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace dimmscope {

int RoundHalfEven(double Value) {
  const double floor = std::floor(Value);
  const double fraction = Value - floor;
  double result = floor;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(floor, 2.0) != 0.0)) result = floor + 1;
  return static_cast<int>(result);
}

TStripChart::TStripChart(const TStripChartSettings& Settings)
    : settings_(Settings),
      pixels_(static_cast<std::size_t>(std::max(Settings.Width, 0)) * std::max(Settings.Height, 0),
              Settings.Background),
      value_(Settings.StartValue) {
  // One recorded value per time step across the width, plus the right edge.
  const int steps = std::max(RoundHalfEven(settings_.TotalTimeSteps), 1) + 1;
  values_.assign(static_cast<std::size_t>(steps), settings_.StartValue);
  DrawHorizontalGrid(0, settings_.Width);
}

double TStripChart::StepWidth() const {
  return settings_.TotalTimeSteps > 0 ? settings_.Width / settings_.TotalTimeSteps : 0;
}

int TStripChart::UpdateWidth() const { return RoundHalfEven(settings_.StepsPerUpdate * StepWidth()); }

int TStripChart::VerticalGridInterval() const {
  const int width = UpdateWidth();
  if (width <= 0) return 0;
  return RoundHalfEven(settings_.VertGridSize * StepWidth() / width);
}

double TStripChart::HorzGridSpacing() const {
  const double range = settings_.Maximum - settings_.Minimum;
  return range > 0 ? settings_.HorzGridSize * settings_.Height / range : 0;
}

int TStripChart::ValueToY(double Percent) const {
  return settings_.Height - RoundHalfEven(settings_.Height * Percent / 100);
}

void TStripChart::SetPixel(int X, int Y, TChartColor Color) {
  if (X < 0 || X >= settings_.Width || Y < 0 || Y >= settings_.Height) return;
  pixels_[static_cast<std::size_t>(Y) * settings_.Width + X] = Color;
}

void TStripChart::Fill(int Left, int Right, TChartColor Color) {
  for (int y = 0; y < settings_.Height; ++y) {
    for (int x = Left; x < Right; ++x) SetPixel(x, y, Color);
  }
}

void TStripChart::DrawHorizontalGrid(int Left, int Right) {
  const double spacing = HorzGridSpacing();
  const int base = BaselineY();
  if (spacing >= 1) {
    // Counted from the baseline both ways, so the grid stays aligned to it.
    for (double offset = spacing; base - offset >= 0 || base + offset < settings_.Height; offset += spacing) {
      const int above = RoundHalfEven(base - offset);
      const int below = RoundHalfEven(base + offset);
      for (int x = Left; x < Right; ++x) {
        SetPixel(x, above, settings_.Grid);
        SetPixel(x, below, settings_.Grid);
      }
    }
  }
  for (int x = Left; x < Right; ++x) SetPixel(x, base, settings_.Baseline);
}

void TStripChart::DrawLine(int X0, int Y0, int X1, int Y1, TChartColor Color) {
  // Bresenham; the line's ends may lie outside the picture and are clipped.
  const int dx = std::abs(X1 - X0);
  const int dy = -std::abs(Y1 - Y0);
  const int sx = X0 < X1 ? 1 : -1;
  const int sy = Y0 < Y1 ? 1 : -1;
  int error = dx + dy;
  for (;;) {
    SetPixel(X0, Y0, Color);
    if (X0 == X1 && Y0 == Y1) break;
    const int twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      X0 += sx;
    }
    if (twice <= dx) {
      error += dx;
      Y0 += sy;
    }
  }
}

double TStripChart::ValueUpdatesAgo(int Updates) const {
  const int steps = std::max(RoundHalfEven(settings_.StepsPerUpdate), 1);
  const int back = (Updates - 1) * steps + 1;
  if (back > static_cast<int>(values_.size())) return values_.front();
  return values_[values_.size() - static_cast<std::size_t>(back)];
}

void TStripChart::Advance() {
  const int width = settings_.Width;
  const int shift = std::min(std::max(UpdateWidth(), 0), width);
  if (width <= 0 || settings_.Height <= 0) return;

  // 1. Scroll left and clear the uncovered strip.
  for (int y = 0; y < settings_.Height; ++y) {
    auto row = pixels_.begin() + static_cast<std::ptrdiff_t>(y) * width;
    std::copy(row + shift, row + width, row);
  }
  Fill(width - shift, width, settings_.Background);

  // 2. A vertical grid line at the right edge every few updates; it then
  // scrolls with the trace.
  ++updates_;
  ++sinceVertical_;
  const int interval = VerticalGridInterval();
  if (interval > 0 && sinceVertical_ >= interval) {
    for (int y = 0; y < settings_.Height; ++y) SetPixel(width - 1, y, settings_.Grid);
    sinceVertical_ = 0;
  }

  // 3. Horizontal grid and baseline in the new strip.
  DrawHorizontalGrid(width - shift, width);

  // 4. The line through the last two values to the current one. A value off
  // the picture is drawn on its nearest edge (0 % on the bottom row).
  const auto clampY = [this](int y) { return std::min(std::max(y, 0), settings_.Height - 1); };
  const int y2 = clampY(ValueToY(ValueUpdatesAgo(2)));
  const int y1 = clampY(ValueToY(ValueUpdatesAgo(1)));
  const int y0 = clampY(ValueToY(value_));
  DrawLine(width - 2 * shift, y2, width - shift, y1, settings_.Line);
  DrawLine(width - shift, y1, width, y0, settings_.Line);
  const int steps = std::max(RoundHalfEven(settings_.StepsPerUpdate), 1);
  for (int i = 0; i < steps; ++i) {
    values_.push_back(value_);
    values_.pop_front();
  }
}

}  // namespace dimmscope
