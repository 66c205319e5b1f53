// Series of known figures for tests that analyse them in the process.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/report.hpp"

namespace callbench {

inline std::vector<Figures> make_runs(std::size_t runs,
                                      const std::function<Sweep(std::size_t run, std::size_t sweep)>& sweep) {
  std::vector<Figures> made(runs);
  for (std::size_t run = 0; run < runs; ++run)
    for (std::size_t s = 0; s < kSweeps; ++s) made[run][s] = sweep(run, s);
  return made;
}

// Every figure base * factor, with noise spread evenly over +-noise (relative), the same on every machine.
inline std::vector<Figures> noisy_runs(std::size_t runs, const Sweep& base, double factor, double noise,
                                       std::uint64_t seed) {
  return make_runs(runs, [&](std::size_t, std::size_t) {
    Sweep sweep{};
    for (std::size_t p = 0; p < kProcedures; ++p) {
      std::uint64_t z = (seed += 0x9e3779b97f4a7c15u);  // splitmix64
      z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
      z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
      const double unit = static_cast<double>((z ^ (z >> 31)) >> 11) / 4503599627370496.0 - 1;
      sweep[p] = static_cast<std::int32_t>(std::lround(base[p] * factor * (1 + noise * unit)));
    }
    return sweep;
  });
}

// A series of these runs, numbered from 1 in the order given.
inline Series series_of(const std::vector<Figures>& runs, const std::string& name = "A") {
  Series series;
  series.name = name;
  series.command = {"./callbench"};
  series.runs_requested = static_cast<int>(runs.size());
  for (std::size_t i = 0; i < runs.size(); ++i)
    series.runs.push_back({static_cast<int>(i + 1), std::nullopt, std::nullopt, runs[i]});
  series.sizes = Sizes{7, 15, 13, 16};
  return series;
}

// A and B run as interleaved pairs in the order given ('A': A first), the
// pair's second run multiplied by `second`: sequences as the session numbers them.
inline std::pair<Series, Series> interleave(const std::vector<Figures>& a_runs,
                                            const std::vector<Figures>& b_runs, const std::string& order,
                                            double second = 1) {
  auto a = series_of(a_runs, "A"), b = series_of(b_runs, "B");
  for (std::size_t i = 0; i < order.size(); ++i) {
    const bool a_first = order[i] == 'A';
    a.runs[i].sequence = static_cast<int>(2 * i + (a_first ? 1 : 2));
    b.runs[i].sequence = static_cast<int>(2 * i + (a_first ? 2 : 1));
    for (auto& sweep : (a_first ? b : a).runs[i].figures)
      for (auto& figure : sweep) figure = static_cast<std::int32_t>(std::lround(figure * second));
  }
  return {a, b};
}

}  // namespace callbench
