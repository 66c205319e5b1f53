#include "system/linux_tree.hpp"

#include "system/cpu_list.hpp"
#include "system/files.hpp"

namespace callbench {

std::optional<std::string> LinuxTree::read(const std::string& path, std::string* why, std::size_t limit) const {
  try {
    std::string text = read_regular_file(root_ + path, limit);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
  } catch (const Error& e) {
    if (why) *why = e.what();
    return std::nullopt;
  }
}

std::optional<std::string> LinuxTree::cpu_file(const std::string& name, std::string* why) const {
  return read("/sys/devices/system/cpu/" + name, why);
}

std::optional<std::string> LinuxTree::processor_file(int cpu, const std::string& name, std::string* why) const {
  return cpu_file("cpu" + std::to_string(cpu) + "/" + name, why);
}

std::optional<std::vector<int>> LinuxTree::cpu_list_file(const std::string& name, std::string* why) const {
  const auto text = cpu_file(name, why);
  if (!text) return std::nullopt;
  auto cpus = parse_cpu_list(*text);
  if (!cpus && why) *why = "/sys/devices/system/cpu/" + name + ": not a list of processors";
  return cpus;
}

}  // namespace callbench
