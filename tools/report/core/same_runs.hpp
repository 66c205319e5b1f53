#pragma once

#include "core/report.hpp"

namespace callbench {

// Whether two series hold one report's runs, read twice (a file given twice,
// or a copy of it): runs made apart differ at least in their times.
inline bool same_runs(const Series& a, const Series& b) {
  if (a.runs.empty() || a.runs.size() != b.runs.size() || a.conditions.date_utc != b.conditions.date_utc ||
      a.command != b.command || a.captures != b.captures)
    return false;
  for (std::size_t i = 0; i < a.runs.size(); ++i) {
    const Run& x = a.runs[i];
    const Run& y = b.runs[i];
    if (x.number != y.number || x.sequence != y.sequence || x.wall_seconds != y.wall_seconds ||
        x.figures != y.figures)
      return false;
  }
  return true;
}

}  // namespace callbench
