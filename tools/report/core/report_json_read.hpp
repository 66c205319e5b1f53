#pragma once

// The pieces of the JSON reader that every format version shares, and the
// readers of the older versions (report_json_versions.cpp).
#include <cstdint>
#include <vector>

#include "core/json_field.hpp"
#include "core/report.hpp"

namespace callbench {

// The most runs or warm-up runs a file may give a count of.
inline constexpr std::int64_t kMaxCount = 1'000'000'000;

Sizes read_sizes(const JsonField& sizes);
std::vector<Run> read_runs(const JsonField& runs);
std::vector<FailedRun> read_failures(const JsonField& failures);
// Refuses more runs than one series made here can hold: not a file this program wrote.
void check_size(const JsonField& field, const Series& series);

// Files written before the format had a version: one series at the top level.
Report read_version_1(const JsonField& root);
// Version 2 kept only the median and the range of a calibration's samples: those stand for them.
std::vector<double> read_version_2_samples(const JsonField& calibration);

}  // namespace callbench
