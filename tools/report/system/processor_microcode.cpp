// Where systems show the microcode revision, read as text and bytes alike
// on every system, so that both readings are tested everywhere.
#include <sstream>

#include "core/processor_identity.hpp"
#include "system/processor.hpp"

namespace callbench {
namespace {

// "name\t: value" as /proc/cpuinfo writes its lines; none for other lines.
std::optional<std::pair<std::string, std::string>> cpuinfo_field(const std::string& line) {
  const auto colon = line.find(':');
  if (colon == std::string::npos) return std::nullopt;
  const auto trimmed = [](std::string text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
  };
  return std::make_pair(trimmed(line.substr(0, colon)), trimmed(line.substr(colon + 1)));
}

}  // namespace

std::optional<std::uint32_t> cpuinfo_microcode(const std::string& cpuinfo, int cpu) {
  std::istringstream lines(cpuinfo);
  bool in_block = false;
  for (std::string line; std::getline(lines, line);) {
    const auto field = cpuinfo_field(line);
    if (!field) continue;
    if (field->first == "processor")
      in_block = field->second == std::to_string(cpu);
    else if (in_block && field->first == "microcode")
      return parse_hex32(field->second);
  }
  return std::nullopt;
}

std::optional<std::uint32_t> update_revision_microcode(const std::vector<unsigned char>& value) {
  if (value.size() != 8) return std::nullopt;
  std::uint64_t bits = 0;
  for (std::size_t i = value.size(); i-- > 0;) bits = bits << 8 | value[i];
  const auto high = static_cast<std::uint32_t>(bits >> 32);
  const auto low = static_cast<std::uint32_t>(bits);
  if (high != 0) return high;
  if (low != 0) return low;
  return std::nullopt;  // no update loaded, or none shown
}

}  // namespace callbench
