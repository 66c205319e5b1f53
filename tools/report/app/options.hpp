#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analyse/analysis.hpp"

namespace callbench {

// Where the report goes besides the table; "-" is standard output.
struct OutputOptions {
  std::optional<std::string> json, markdown, csv, html;
};

// Making runs (or reading saved outputs) and reporting them.
struct MeasureOptions {
  std::vector<std::string> command;     // empty: the benchmark beside this program
  std::vector<std::string> vs_command;  // with --vs: B, run alternately with A
  int runs = 10;
  int warmup = 1;
  std::optional<double> precision;
  int max_runs = 100;
  double timeout_seconds = 60;
  std::optional<int> cpu;
  std::optional<std::string> baseline;
  std::string label;
  std::vector<std::string> from;  // saved outputs instead of runs
  std::optional<std::string> machine;
  AnalysisSettings analysis;
  OutputOptions outputs;
};

// `compare`: report files side by side.
struct CompareOptions {
  std::vector<std::string> files;
  AnalysisSettings analysis;
  OutputOptions outputs;
};

// Exit statuses.
inline constexpr int kExitIncomplete = 1;  // runs failed, or an output could not be written
inline constexpr int kExitBadInput = 2;

// Each returns the exit status; problems are told on standard error.
int measure(const MeasureOptions& options);
int compare(const CompareOptions& options);

}  // namespace callbench
