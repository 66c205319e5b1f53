// What one report said, whether it was simulated in process or made by the tool.
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "core/procedures.hpp"

namespace callbench::statcheck {

enum class Claim { None, Slower, Faster };

// Only slower and faster (for a ratio to TheOne, higher and lower) claim
// anything; every other verdict word claims nothing.
inline Claim claim_from_word(std::string_view word) {
  if (word == "slower" || word == "higher") return Claim::Slower;
  if (word == "faster" || word == "lower") return Claim::Faster;
  return Claim::None;
}

struct RatioInterval {
  double low = 0, high = 0;
};

struct ReportOutcome {
  // Per procedure: against TheOne for one series, A against B (or new against
  // the baseline) for two.
  std::array<Claim, kProcedures> claims{};
  // One series only: each paired ratio's interval, where it has one.
  std::array<std::optional<RatioInterval>, kProcedures> intervals{};
  // One series only: the true ratios to TheOne during its runs (the model's, not the report's).
  std::array<double, kProcedures> ratios_during{};
  // Two series only: each procedure's p-value before any adjustment.
  std::array<std::optional<double>, kProcedures> p_values{};
  // One series only: the runs each ratio needs for the noise threshold, where told.
  std::array<std::optional<std::size_t>, kProcedures> runs_needed{};
  // Interleaved only: each procedure's ratio to TheOne, A's against B's (none for TheOne).
  std::array<Claim, kProcedures> ratio_claims{};
  // Interleaved only: a pair's second run against its first, where told.
  std::optional<RatioInterval> position;
};

}  // namespace callbench::statcheck
