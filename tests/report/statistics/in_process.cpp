#include "in_process.hpp"

#include <thread>
#include <vector>

#include "random_stream.hpp"
#include "simulate.hpp"

namespace callbench::statcheck {

void tally_in_process(Tally& tally, std::uint64_t seed, unsigned workers) {
  for (std::size_t c = 0; c < tally.cases.size(); ++c) {
    for (std::size_t k = 0; k < tally.runs.size(); ++k) {
      std::vector<Count> parts(workers);
      std::vector<std::thread> threads;
      for (unsigned w = 0; w < workers; ++w)
        threads.emplace_back([&, w] {
          for (std::size_t r = w; r < tally.reports; r += workers) {
            const auto report_seed = key({seed, c, tally.runs[k], r});
            parts[w] += score(tally.cases[c], simulate_report(tally.cases[c], tally.runs[k], report_seed));
          }
        });
      for (auto& t : threads) t.join();
      for (const auto& part : parts) tally.counts[c][k] += part;
    }
  }
}

}  // namespace callbench::statcheck
