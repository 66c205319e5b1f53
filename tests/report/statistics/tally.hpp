// Counts per case and run count, printed as a Markdown table and held against
// the cases' targets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "cases.hpp"

namespace callbench::statcheck {

struct Tally {
  std::vector<Case> cases;
  std::vector<std::size_t> runs;           // the run counts K, one column each
  std::vector<std::vector<Count>> counts;  // [case][column]
  std::size_t reports = 0;                 // per cell

  Tally(std::vector<Case> cases, std::vector<std::size_t> runs, std::size_t reports);
};

// A report's seed: the same for the same setup, run count and index, whatever
// else is tallied alongside.
std::uint64_t report_seed(const Tally& tally, std::size_t c, std::size_t column, std::size_t report,
                          std::uint64_t seed);

void print_markdown(const Tally& tally, const std::string& title, std::ostream& out);

// One line per target missed clearly: its rate's whole interval on the wrong side.
std::vector<std::string> missed_targets(const Tally& tally);

}  // namespace callbench::statcheck
