// The benchmark's standard output, byte for byte as it prints it, from the
// figures and sizes: the tests' own account of it, written apart from the
// readers under test so that each checks the other. The stand-ins, the fuzz
// target and the tests of both programs all take it from here.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace callbench::benchmark_output {

inline constexpr int kSweeps = 3;
inline const std::array<std::string, 4> kNames = {"TestNoFrameA", "TestNoFrameB", "TheOne", "TestWithFrame"};
inline const std::array<std::string, 4> kSizeHeadings = {
    "Size no frame A: ", "Size no frame B: ", "Size TheOne:     ", "Size with frame: "};
// The procedures' sizes in bytes, as built.
inline const std::array<int, 4> kSizes = {7, 15, 13, 16};

// What follows procedure p's figure: its label, and after the last one of a
// sweep the empty line that ends the sweep.
inline std::string figure_label(std::size_t p) {
  return "\tmillicycles for " + kNames[p] + (p + 1 == kNames.size() ? "\r\n\n" : "\r\n");
}

// Figures and sizes are numbers, or text to spoil them with.
inline std::string as_text(const std::string& text) {
  return text;
}
inline std::string as_text(long long number) {
  return std::to_string(number);
}

// One sweep: a figure for each of the four procedures.
template <typename Sweep>
std::string sweep_text(const Sweep& sweep) {
  std::string text;
  for (std::size_t p = 0; p < kNames.size(); ++p) text += as_text(sweep[p]) + figure_label(p);
  return text;
}

template <typename Sizes>
std::string sizes_text(const Sizes& sizes) {
  std::string text;
  for (std::size_t p = 0; p < kNames.size(); ++p) text += kSizeHeadings[p] + "\t" + as_text(sizes[p]) + "\r\n";
  return text;
}

// The whole output: the sweeps (three in a real run), then the sizes.
template <typename Sweeps, typename Sizes = std::array<int, 4>>
std::string output_text(const Sweeps& sweeps, const Sizes& sizes = kSizes) {
  std::string text;
  for (const auto& sweep : sweeps) text += sweep_text(sweep);
  return text + sizes_text(sizes);
}

// A valid output with figures at the ends of their range.
inline const std::string kSample = output_text(
    std::vector<std::array<long long, 4>>{{1, 2, 3, 4}, {0, -5, 2147483647, -2147483648}, {10, 20, 30, 40}});

// The text with the first occurrence of from replaced: a way to spoil an output.
inline std::string replace_first(std::string text, const std::string& from, const std::string& to) {
  text.replace(text.find(from), from.size(), to);
  return text;
}

}  // namespace callbench::benchmark_output
