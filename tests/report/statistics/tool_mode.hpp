#pragma once

#include <cstdint>
#include <string>

#include "tally.hpp"

namespace callbench::statcheck {

struct ToolSetup {
  std::string report;   // callbench-report
  std::string standin;  // callbench-report-noise-standin
  std::string work;     // a folder for state files and reports, one sub-folder per worker
};

// Fills the tally with reports the real tool makes of the stand-in, `workers`
// at a time. A report that fails (exit status, unreadable JSON) is left out
// and said on standard error; returns how many were.
std::size_t tally_with_tool(Tally& tally, const ToolSetup& setup, std::uint64_t seed, unsigned workers);

}  // namespace callbench::statcheck
