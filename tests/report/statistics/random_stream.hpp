// Counter-based random numbers: the same keys always give the same values, so
// a process's figures do not depend on what was simulated before it.
#pragma once

#include <cmath>
#include <cstdint>
#include <initializer_list>

namespace callbench::statcheck {

inline std::uint64_t mix(std::uint64_t x) {
  x += 0x9e3779b97f4a7c15ULL;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
  return x ^ (x >> 31);
}

inline std::uint64_t key(std::initializer_list<std::uint64_t> parts) {
  std::uint64_t h = 0x243f6a8885a308d3ULL;
  for (auto p : parts) h = mix(h ^ p);
  return h;
}

class RandomStream {
 public:
  explicit RandomStream(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() { return mix(state_++ * 0x9e3779b97f4a7c15ULL + 0x632be59bd9b4e019ULL); }
  double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }  // [0, 1)
  double uniform(double low, double high) { return low + (high - low) * uniform(); }
  double normal() {
    const double u = 1 - uniform();  // (0, 1]
    return std::sqrt(-2 * std::log(u)) * std::cos(2 * M_PI * uniform());
  }

 private:
  std::uint64_t state_;
};

}  // namespace callbench::statcheck
