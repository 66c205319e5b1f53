#pragma once

namespace callbench::stats {

// The level of every interval the report gives, and of every test behind a
// verdict: each is defined here once, and every heading that says "95%" is
// derived from kConfidence.
inline constexpr double kConfidence = 0.95;
// A difference counts as significant below this (Holm-adjusted) p-value.
inline constexpr double kSignificance = 0.05;

}  // namespace callbench::stats
