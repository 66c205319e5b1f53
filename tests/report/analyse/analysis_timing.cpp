// How long one re-analysis takes under --precision at 100 runs, with 10,000
// resamples: each series is analysed, then the two are compared.
#include <chrono>
#include <cstdio>

#include "series_builder.hpp"

namespace {

template <class Work>
double milliseconds_per_call(Work work) {
  constexpr int kRepeats = 5;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kRepeats; ++i) work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / kRepeats;
}

}  // namespace

int main() {
  using namespace callbench;
  const Sweep base{5600, 3800, 4100, 3550};
  const auto a = noisy_runs(100, base, 1.0, 0.1, 1), b = noisy_runs(100, base, 1.05, 0.1, 2);
  const std::vector<double> walls(100, 0.42);
  const AnalysisSettings settings;
  std::printf("100 runs, %d resamples, per call:\n", settings.resamples);
  std::printf("  analyse_series           %6.1f ms\n",
              milliseconds_per_call([&] { analyse_series(a, walls, settings, 1.0); }));
  std::printf("  compare_series, paired   %6.1f ms\n",
              milliseconds_per_call([&] { compare_series(a, b, true, settings); }));
  std::printf("  compare_series, unpaired %6.1f ms\n",
              milliseconds_per_call([&] { compare_series(a, b, false, settings); }));
}
