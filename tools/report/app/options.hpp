#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/settings.hpp"

namespace callbench {

// Where the report goes besides the table: (option, path) for each output
// format asked for, as in the exporters' table; "-" is standard output.
using OutputPaths = std::vector<std::pair<std::string, std::string>>;

// Making runs (or reading saved outputs) and reporting them.
struct MeasureOptions {
  std::vector<std::string> command;     // empty: the benchmark beside this program
  std::vector<std::string> vs_command;  // with --vs: B, run alternately with A
  RunSettings run;
  std::optional<int> cpu;
  std::optional<std::string> baseline;
  std::string label;
  std::vector<std::string> from;  // saved outputs instead of runs
  std::optional<std::string> machine;
  AnalysisSettings analysis;
  OutputPaths outputs;
};

// `compare`: report files side by side.
struct CompareOptions {
  std::vector<std::string> files;
  std::string label;
  bool pool = false;  // pool the reports of each machine
  AnalysisSettings analysis;
  OutputPaths outputs;
};

// `system`: the machine checks on their own.
struct SystemOptions {
  std::optional<int> cpu;
};

// Each returns the exit status; problems that stop it early are thrown as Error.
int measure(const MeasureOptions& options);
int compare(const CompareOptions& options);
// 0 when the machine is fit to measure, kExitBadInput when it is not.
int check_system(const SystemOptions& options);

}  // namespace callbench
