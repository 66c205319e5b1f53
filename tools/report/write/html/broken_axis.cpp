#include "write/html/broken_axis.hpp"

#include <algorithm>
#include <cmath>

namespace callbench {

namespace {

constexpr std::size_t kMaxParts = 4;

// Spans in logarithms, overlapping ones merged, with the narrowest non-empty
// span inside each (what has to stay visible).
struct Hull {
  double low = 0, high = 0;
  double narrowest = 0;  // 0: only estimates alone
  double widest = 0;
};

std::vector<Hull> hulls_of(const std::vector<Span>& spans) {
  std::vector<Hull> items;
  for (const Span& span : spans) {
    if (!(span.low > 0) || !(span.high >= span.low) || !std::isfinite(span.high)) continue;
    const double low = std::log(span.low), high = std::log(span.high);
    items.push_back({low, high, high - low, high - low});
  }
  std::sort(items.begin(), items.end(), [](const Hull& a, const Hull& b) { return a.low < b.low; });
  std::vector<Hull> hulls;
  for (const Hull& item : items) {
    if (!hulls.empty() && item.low <= hulls.back().high) {
      Hull& hull = hulls.back();
      hull.high = std::max(hull.high, item.high);
      if (item.narrowest > 0)
        hull.narrowest = hull.narrowest > 0 ? std::min(hull.narrowest, item.narrowest) : item.narrowest;
      hull.widest = std::max(hull.widest, item.widest);
    } else {
      hulls.push_back(item);
    }
  }
  return hulls;
}

// Consecutive hulls [first, last) drawn on one scale.
struct Group {
  std::size_t first = 0, last = 0;
};

// The group's domain in logarithms: its hulls with room on either side.
std::pair<double, double> domain_of(const std::vector<Hull>& hulls, const Group& group, double context) {
  const double low = hulls[group.first].low, high = hulls[group.last - 1].high;
  double widest = 0;
  for (std::size_t h = group.first; h < group.last; ++h) widest = std::max(widest, hulls[h].widest);
  const double margin = std::max({0.1 * (high - low), context * widest, 0.004});
  return {low - margin, high + margin};
}

// How wide, in pixels, the narrowest span of the group comes out.
double narrowest_pixels(const std::vector<Hull>& hulls, const Group& group, double width, double context) {
  double narrowest = 0;
  for (std::size_t h = group.first; h < group.last; ++h)
    if (hulls[h].narrowest > 0)
      narrowest = narrowest > 0 ? std::min(narrowest, hulls[h].narrowest) : hulls[h].narrowest;
  if (narrowest == 0) return width;
  const auto [low, high] = domain_of(hulls, group, context);
  return width * narrowest / (high - low);
}

double part_width(int width, std::size_t parts) {
  return (width - kAxisBreak * static_cast<double>(parts - 1)) / static_cast<double>(parts);
}

// Round steps: 1, 2, 2.5 or 5 times a power of ten, the smallest at least `rough`.
double round_step(double rough) {
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  for (double mantissa : {1.0, 2.0, 2.5, 5.0})
    if (mantissa * power >= rough * (1 - 1e-9)) return mantissa * power;
  return 10 * power;
}

void place_ticks(AxisPart& part) {
  const int most = std::clamp(part.width / 70, 2, 7);
  // Wide parts read best at 1, 2, 5 times powers of ten.
  if (part.high / part.low > 4) {
    std::vector<double> ticks;
    for (int power = static_cast<int>(std::floor(std::log10(part.low))); std::pow(10.0, power) <= part.high;
         ++power)
      for (double mantissa : {1.0, 2.0, 5.0}) {
        const double tick = mantissa * std::pow(10.0, power);
        if (tick >= part.low && tick <= part.high) ticks.push_back(tick);
      }
    if (ticks.size() >= 2 && static_cast<int>(ticks.size()) <= most + 1) {
      part.ticks = ticks;
      part.decimals = std::max(0, static_cast<int>(-std::floor(std::log10(ticks.front()))));
      return;
    }
  }
  const double step = round_step((part.high - part.low) / most);
  for (double tick = std::ceil(part.low / step) * step; tick <= part.high; tick += step)
    part.ticks.push_back(std::round(tick / step) * step);
  const double mantissa = step / std::pow(10.0, std::floor(std::log10(step)));
  part.decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step))) + (mantissa == 2.5 ? 1 : 0));
}

}  // namespace

std::vector<AxisPart> broken_axis(const std::vector<Span>& spans, int width, double min_pixels,
                                  double context) {
  std::vector<Hull> hulls = hulls_of(spans);
  if (hulls.empty()) hulls = hulls_of({{1, 1}});
  std::vector<Group> groups = {{0, hulls.size()}};
  while (groups.size() < kMaxParts) {
    const double each = part_width(width, groups.size());
    // The group whose narrowest span is least visible, if it can be split.
    std::size_t worst = groups.size();
    double worst_pixels = min_pixels;
    for (std::size_t g = 0; g < groups.size(); ++g) {
      const double pixels = narrowest_pixels(hulls, groups[g], each, context);
      if (pixels < worst_pixels && groups[g].last - groups[g].first > 1) {
        worst = g;
        worst_pixels = pixels;
      }
    }
    if (worst == groups.size()) break;
    // Break it where it is emptiest.
    const Group group = groups[worst];
    std::size_t cut = group.first + 1;
    for (std::size_t h = group.first + 1; h < group.last; ++h)
      if (hulls[h].low - hulls[h - 1].high > hulls[cut].low - hulls[cut - 1].high) cut = h;
    groups[worst] = {group.first, cut};
    groups.insert(groups.begin() + static_cast<std::ptrdiff_t>(worst) + 1, Group{cut, group.last});
  }
  std::vector<AxisPart> parts;
  const int each = static_cast<int>(part_width(width, groups.size()));
  for (const Group& group : groups) {
    const auto [low, high] = domain_of(hulls, group, context);
    AxisPart part;
    part.low = std::exp(low);
    part.high = std::exp(high);
    part.width = each;
    place_ticks(part);
    parts.push_back(part);
  }
  return parts;
}

std::size_t part_holding(const std::vector<AxisPart>& parts, const Span& span) {
  const double middle = std::sqrt(span.low * span.high);
  for (std::size_t p = 0; p < parts.size(); ++p)
    if (middle >= parts[p].low && middle <= parts[p].high) return p;
  return 0;
}

}  // namespace callbench
