#include "system/cpu_list.hpp"

#include <cctype>

namespace callbench {
namespace {

// Far above any kernel's NR_CPUS, and small enough that a hostile "0-99999999"
// cannot fill memory.
constexpr int kMaxCpu = 65535;

std::optional<int> parse_number(const std::string& text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  int value = 0;
  for (const char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value > kMaxCpu) return std::nullopt;
  return value;
}

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

}  // namespace

std::optional<std::vector<int>> parse_cpu_list(const std::string& text) {
  std::vector<int> cpus;
  const std::string list = trimmed(text);
  if (list.empty()) return cpus;
  std::vector<bool> listed(kMaxCpu + 1);
  std::size_t start = 0;
  for (;;) {
    const auto comma = list.find(',', start);
    const std::string item = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    const auto dash = item.find('-');
    const auto first = parse_number(item.substr(0, dash));
    const auto last = dash == std::string::npos ? first : parse_number(item.substr(dash + 1));
    if (!first || !last || *last < *first) return std::nullopt;
    for (int cpu = *first; cpu <= *last; ++cpu) listed[cpu] = true;
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  for (int cpu = 0; cpu <= kMaxCpu; ++cpu)
    if (listed[cpu]) cpus.push_back(cpu);
  return cpus;
}

std::string format_cpu_list(const std::vector<int>& sorted_cpus) {
  std::string text;
  for (std::size_t i = 0; i < sorted_cpus.size();) {
    std::size_t end = i;
    while (end + 1 < sorted_cpus.size() && sorted_cpus[end + 1] == sorted_cpus[end] + 1) ++end;
    if (!text.empty()) text += ',';
    text += std::to_string(sorted_cpus[i]);
    if (end > i) text += '-' + std::to_string(sorted_cpus[end]);
    i = end + 1;
  }
  return text;
}

std::string name_processors(const std::vector<int>& sorted_cpus) {
  return (sorted_cpus.size() == 1 ? "processor " : "processors ") + format_cpu_list(sorted_cpus);
}

}  // namespace callbench
