#include "in_process.hpp"

#include <thread>
#include <vector>

#include "simulate.hpp"

namespace callbench::statcheck {

void tally_in_process(Tally& tally, std::uint64_t seed, unsigned workers) {
  const std::size_t cases = tally.cases.size();
  for (std::size_t c = 0; c < cases; ++c) {
    if (setup_of(tally.cases, c) != c) continue;
    for (std::size_t k = 0; k < tally.runs.size(); ++k) {
      // Per worker, per case that shares these reports.
      std::vector<std::vector<Count>> parts(workers, std::vector<Count>(cases));
      std::vector<std::thread> threads;
      for (unsigned w = 0; w < workers; ++w)
        threads.emplace_back([&, w] {
          for (std::size_t r = w; r < tally.reports; r += workers) {
            const auto outcome =
                simulate_report(tally.cases[c], tally.runs[k], report_seed(tally, c, k, r, seed));
            for (std::size_t row = c; row < cases; ++row)
              if (setup_of(tally.cases, row) == c) parts[w][row] += score(tally.cases[row], outcome);
          }
        });
      for (auto& t : threads) t.join();
      for (const auto& part : parts)
        for (std::size_t row = 0; row < cases; ++row) tally.counts[row][k] += part[row];
    }
  }
}

}  // namespace callbench::statcheck
