#pragma once

#include <optional>
#include <string>
#include <vector>

namespace callbench {

// Linux writes sets of processors as lists of numbers and ranges: "0-3,8,10-11".
// Sorted, without repeats; an empty or blank text is the empty set. None for
// anything else, and for sets beyond any real machine's size.
std::optional<std::vector<int>> parse_cpu_list(const std::string& text);

// The same form back, ranges joined: {0, 1, 2, 3, 8} -> "0-3,8".
std::string format_cpu_list(const std::vector<int>& sorted_cpus);

// For text: "processor 3", "processors 0-3".
std::string name_processors(const std::vector<int>& sorted_cpus);

}  // namespace callbench
