// Outputs of the benchmark for tests: a good one and ways to spoil it.
#pragma once

#include <string>

namespace callbench {

inline std::string sample_sweep(const char* a, const char* b, const char* c, const char* d) {
  return std::string(a) + "\tmillicycles for TestNoFrameA\r\n" + b + "\tmillicycles for TestNoFrameB\r\n" + c +
         "\tmillicycles for TheOne\r\n" + d + "\tmillicycles for TestWithFrame\r\n\n";
}

inline const std::string kSampleSizes =
    "Size no frame A: \t7\r\nSize no frame B: \t15\r\nSize TheOne:     \t13\r\nSize with frame: \t16\r\n";

// Three sweeps with figures at the ends of their range, and the sizes.
inline const std::string kGoodOutput = sample_sweep("1", "2", "3", "4") +
                                       sample_sweep("0", "-5", "2147483647", "-2147483648") +
                                       sample_sweep("10", "20", "30", "40") + kSampleSizes;

// The text with the first occurrence of from replaced.
inline std::string replace_first(std::string text, const std::string& from, const std::string& to) {
  text.replace(text.find(from), from.size(), to);
  return text;
}

}  // namespace callbench
