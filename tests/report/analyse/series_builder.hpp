#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

#include "analyse/analysis.hpp"

namespace callbench {

inline std::vector<RunFigures> make_runs(std::size_t runs,
                                         const std::function<Sweep(std::size_t run, std::size_t sweep)>& sweep) {
  std::vector<RunFigures> made(runs);
  for (std::size_t run = 0; run < runs; ++run)
    for (std::size_t s = 0; s < kSweeps; ++s) made[run][s] = sweep(run, s);
  return made;
}

// Every figure base * factor, with noise spread evenly over +-noise (relative), the same on every machine.
inline std::vector<RunFigures> noisy_runs(std::size_t runs, const Sweep& base, double factor, double noise,
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

}  // namespace callbench
