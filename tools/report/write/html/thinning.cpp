#include "write/html/thinning.hpp"

#include "write/html/figure_summary.hpp"

#include <algorithm>

namespace callbench {

std::size_t stride_for(std::size_t count, std::size_t most) {
  if (most == 0) return std::max<std::size_t>(count, 1);
  return std::max<std::size_t>(1, (count + most - 1) / most);
}

std::vector<RunBin> bin_runs(const Series& series, std::size_t procedure, std::size_t runs_per_bin) {
  runs_per_bin = std::max<std::size_t>(runs_per_bin, 1);
  std::vector<RunBin> bins;
  std::vector<std::int32_t> valid;
  for (std::size_t first = 0; first < series.runs.size(); first += runs_per_bin) {
    const std::size_t last = std::min(first + runs_per_bin, series.runs.size());
    RunBin bin;
    bin.first_run = series.runs[first].number;
    bin.last_run = series.runs[last - 1].number;
    valid.clear();
    for (std::size_t r = first; r < last; ++r)
      for (const Sweep& sweep : series.runs[r].figures) {
        if (sweep[procedure] > 0)
          valid.push_back(sweep[procedure]);
        else
          ++bin.disturbed;
      }
    bin.valid = valid.size();
    if (!valid.empty()) {
      std::sort(valid.begin(), valid.end());
      bin.low = quantile(valid, 0.1);
      bin.median = quantile(valid, 0.5);
      bin.high = quantile(valid, 0.9);
    }
    bins.push_back(bin);
  }
  return bins;
}

}  // namespace callbench
