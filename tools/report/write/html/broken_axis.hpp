#pragma once

#include <cstddef>
#include <vector>

namespace callbench {

// Something on a log axis that a reader must be able to see: an interval, an
// estimate alone (low == high), the noise band about 1, the figures of one
// series. Values are > 0.
struct Span {
  double low = 1, high = 1;
};

// One part of a broken log axis: its domain, its width in pixels, and the
// ticks to label, with the decimals they need.
struct AxisPart {
  double low = 0, high = 0;
  int width = 0;
  std::vector<double> ticks;
  int decimals = 0;
};

// Between the parts of a broken axis.
inline constexpr int kAxisBreak = 14;

// Lays out a log axis of the given width for the spans, in increasing order of
// value. Ratios of 1.04 and 9.6 on one axis leave an interval of ±0.5 % a pixel
// or two wide, so where one scale cannot show every span at least
// min_pixels wide the axis is broken at its widest empty stretches, up to
// four parts, each with its own scale about what it holds. Each part extends
// beyond what it holds by `context` times its widest span (at least a tenth
// of what it holds, and 0.4 %), so that a lone interval is seen against a scale.
std::vector<AxisPart> broken_axis(const std::vector<Span>& spans, int width, double min_pixels, double context);

// The part whose domain holds the span's middle (every span lies wholly in one part).
std::size_t part_holding(const std::vector<AxisPart>& parts, const Span& span);

}  // namespace callbench
