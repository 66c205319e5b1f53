#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace callbench {

// The parts of /sys and /proc the Linux machine checks read, under a root
// folder that tests point at a tree of their own.
class LinuxTree {
 public:
  explicit LinuxTree(std::string root) : root_(std::move(root)) {}

  // A file's text without its final line end, or none with why set to
  // "<file>: <reason>". Files here are small; /proc/stat grows with the
  // number of processors and interrupts, hence the limit.
  std::optional<std::string> read(const std::string& path, std::string* why = nullptr,
                                  std::size_t limit = 64 * 1024) const;

  // read() of /sys/devices/system/cpu/<name>.
  std::optional<std::string> cpu_file(const std::string& name, std::string* why = nullptr) const;
  // read() of /sys/devices/system/cpu/cpu<cpu>/<name>.
  std::optional<std::string> processor_file(int cpu, const std::string& name, std::string* why = nullptr) const;

  // A processor list file, e.g. "online" or "cpu0/topology/thread_siblings_list".
  std::optional<std::vector<int>> cpu_list_file(const std::string& name, std::string* why = nullptr) const;

 private:
  std::string root_;
};

}  // namespace callbench
