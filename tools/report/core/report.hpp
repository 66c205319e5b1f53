#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "system/machine.hpp"
#include "core/procedures.hpp"
#include "analyse/statistics.hpp"

namespace callbench {

// Past this spread of one procedure's figures the machine was too busy to trust the median.
inline constexpr double kNoisySpread = 0.25;

struct ValidRun {
  int number = 0;  // counted from 1, as reported
  double wall_seconds = 0;
  Figures figures{};
};

struct FailedRun {
  int number = 0;
  std::string reason;
};

// Figures of an earlier report to compare with.
struct Baseline {
  std::string file;
  std::array<double, kProcedures> min{};
  std::array<double, kProcedures> median{};
};

struct ProcedureRow {
  std::int32_t size = 0;
  Summary summary;
  std::optional<double> min_vs_reference;
  std::optional<double> median_vs_reference;
  std::optional<double> min_change_percent;     // with a baseline
  std::optional<double> median_change_percent;  // with a baseline

  bool noisy() const { return summary.spread && *summary.spread > kNoisySpread; }
};

struct Report {
  std::vector<std::string> command;
  int runs_requested = 0;
  std::vector<ValidRun> runs;  // not empty
  std::vector<FailedRun> failures;
  Sizes sizes{};
  Machine machine;
  std::optional<Baseline> baseline;
  int interrupted_by = 0;  // signal that stopped the runs early, or 0

  std::array<ProcedureRow, kProcedures> rows{};
  double median_wall_seconds = 0;
};

}  // namespace callbench
