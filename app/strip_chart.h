// The memory-load graph of the main window as plain pixels: a ring of recent
// values and a picture that scrolls left by one update at a time. The window
// control only copies Pixels() to the screen, so everything about the graph's
// geometry is testable without a display.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

namespace dimmscope {

// Colours are 0x00RRGGBB, the layout of a 32-bit top-down DIB row.
using TChartColor = std::uint32_t;
inline constexpr TChartColor kChartBlack = 0x000000;
inline constexpr TChartColor kChartGreen = 0x008000;
inline constexpr TChartColor kChartRed = 0xFF0000;
inline constexpr TChartColor kChartLime = 0x00FF00;

struct TStripChartSettings {
  int Width = 89;   // pixels
  int Height = 65;  // pixels
  TChartColor Background = kChartBlack;
  TChartColor Grid = kChartGreen;
  TChartColor Baseline = kChartRed;
  TChartColor Line = kChartLime;
  double BaselinePercent = 80;  // percent of the height
  double HorzGridSize = 5;      // in value units between Minimum and Maximum
  double VertGridSize = 5;      // in time steps
  double Minimum = 0;
  double Maximum = 65;
  double TotalTimeSteps = 89;  // steps across the width
  double StepsPerUpdate = 2;
  double StartValue = 50;  // percent of the height
};

class TStripChart {
 public:
  explicit TStripChart(const TStripChartSettings& Settings = TStripChartSettings{});

  // The value (percent of the height) the next update draws the line to.
  void SetValue(double Value) { value_ = Value; }
  // One update: scroll, grid, baseline, the line extended to the value.
  void Advance();

  int Width() const { return settings_.Width; }
  int Height() const { return settings_.Height; }
  // Row-major, top row first, Width() * Height() colours.
  const std::vector<TChartColor>& Pixels() const { return pixels_; }
  TChartColor Pixel(int X, int Y) const { return pixels_[static_cast<std::size_t>(Y) * settings_.Width + X]; }
  // The recorded values, oldest first: one per time step.
  const std::deque<double>& Values() const { return values_; }
  int Updates() const { return updates_; }

  // Geometry, all rounded half to even like the rest of the graph.
  double StepWidth() const;          // pixels per time step
  int UpdateWidth() const;           // pixels scrolled per update
  int VerticalGridInterval() const;  // updates between vertical grid lines
  double HorzGridSpacing() const;    // pixels between horizontal grid lines
  int ValueToY(double Percent) const;
  int BaselineY() const { return ValueToY(settings_.BaselinePercent); }

 private:
  void Fill(int Left, int Right, TChartColor Color);
  void SetPixel(int X, int Y, TChartColor Color);
  void DrawHorizontalGrid(int Left, int Right);
  void DrawLine(int X0, int Y0, int X1, int Y1, TChartColor Color);
  double ValueUpdatesAgo(int Updates) const;

  TStripChartSettings settings_;
  std::vector<TChartColor> pixels_;
  std::deque<double> values_;
  double value_;
  int updates_ = 0;        // updates since the program started
  int sinceVertical_ = 0;  // updates since the last vertical grid line
};

// Rounds half to even (2.5 gives 2, 3.5 gives 4), as the graph's arithmetic does.
int RoundHalfEven(double Value);

}  // namespace dimmscope
