// What the JSON files of earlier format versions hold that the current one
// holds otherwise. Version 2's conditions at the top level and its series
// without a label are read beside version 3 in report_json_read.cpp.
#include "core/report_json_keys.hpp"
#include "core/report_json_read.hpp"

namespace callbench {

Report read_version_1(const JsonField& root) {
  namespace key = json_key;
  Report report;
  report.unit = root.optional_text(key::kUnit).value_or(kUnit);
  Series series;
  series.name = kRunSeriesNames[0];
  if (const auto machine = root.optional("machine")) {
    Processor processor;
    processor.brand = (*machine)["model"].text();
    if (const auto invariant = machine->optional(key::kInvariantTsc))
      processor.invariant_tsc = invariant->flag();
    series.conditions.processor = processor;
  }
  series.command = root[key::kCommand].texts();
  series.runs_requested = static_cast<int>(root[key::kRunsRequested].whole(0, kMaxCount));
  series.sizes = read_sizes(root[key::kSizes]);
  series.runs = read_runs(root[key::kRuns]);
  if (const auto failures = root.optional(key::kFailedRuns)) series.failures = read_failures(*failures);
  check_size(root, series);
  report.series.push_back(std::move(series));
  return report;
}

std::vector<double> read_version_2_samples(const JsonField& c) {
  namespace key = json_key;
  return {c[key::kLow].number(), c[key::kClocksPerTick].number(), c[key::kHigh].number()};
}

}  // namespace callbench
