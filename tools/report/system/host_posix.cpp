#include <sched.h>
#include <sys/resource.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <sstream>
#include <stdexcept>

#include "system/files.hpp"
#include "system/host.hpp"

namespace callbench {
namespace {

constexpr int kCapSysNice = 23;
// The benchmark asks for nice -10; RLIMIT_NICE allows down to 20 - limit.
constexpr rlim_t kNiceLimitNeeded = 30;

std::optional<std::string> read_small_file(const char* path) {
  try {
    return read_regular_file(path, 64 * 1024);
  } catch (const Error&) {
    return std::nullopt;
  }
}

// The value of "Key:" or "KEY=" at the start of a line.
std::optional<std::string> field(const std::string& text, const std::string& key) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);)
    if (line.compare(0, key.size(), key) == 0) return line.substr(key.size());
  return std::nullopt;
}

std::optional<bool> has_cap_sys_nice() {
  const auto status = read_small_file("/proc/self/status");
  if (!status) return std::nullopt;
  const auto effective = field(*status, "CapEff:");
  if (!effective) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const unsigned long long bits = std::strtoull(effective->c_str(), &end, 16);
  if (errno != 0 || end == effective->c_str()) return std::nullopt;
  return (bits >> kCapSysNice & 1) != 0;
}

// os-release values may be quoted and backslash-escaped.
std::string unquote(std::string value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  std::string plain;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) ++i;
    plain += value[i];
  }
  return plain;
}

std::string cpu_list(const cpu_set_t& set) {
  std::string list;
  for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
    if (!CPU_ISSET(cpu, &set)) continue;
    if (!list.empty()) list += ", ";
    list += std::to_string(cpu);
  }
  return list;
}

}  // namespace

std::string utc_now() {
  const std::time_t now = std::time(nullptr);
  std::tm parts = {};
  ::gmtime_r(&now, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
  return text;
}

std::optional<std::string> host_name() {
  char name[HOST_NAME_MAX + 1] = {};
  if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return std::nullopt;
  return std::string(name);
}

std::optional<std::string> os_description() {
  utsname system = {};
  if (::uname(&system) != 0) return std::nullopt;
  std::string text = std::string("Linux ") + system.release;
  if (const auto release = read_small_file("/etc/os-release"))
    if (const auto pretty = field(*release, "PRETTY_NAME="); pretty && !unquote(*pretty).empty())
      text += " (" + unquote(*pretty) + ")";
  return text;
}

std::optional<LoadAverage> load_average() {
  double loads[3];
  if (::getloadavg(loads, 3) != 3) return std::nullopt;
  return LoadAverage{loads[0], loads[1], loads[2]};
}

Priority priority_raise() {
  using Raise = Priority::Raise;
  if (::geteuid() == 0) return {Raise::Effective, "root"};
  const auto cap = has_cap_sys_nice();
  if (cap.value_or(false)) return {Raise::Effective, "CAP_SYS_NICE"};

  std::string limit = "RLIMIT_NICE unknown";
  rlimit nice = {};
  if (::getrlimit(RLIMIT_NICE, &nice) == 0) {
    if (nice.rlim_cur == RLIM_INFINITY) return {Raise::Effective, "RLIMIT_NICE unlimited"};
    limit = "RLIMIT_NICE " + std::to_string(nice.rlim_cur);
    if (nice.rlim_cur >= kNiceLimitNeeded) return {Raise::Effective, limit};
  }
  const std::string detail =
      std::string("not root, ") + (cap ? "no CAP_SYS_NICE" : "CAP_SYS_NICE unknown") + ", " + limit;
  return {cap ? Raise::NotPermitted : Raise::Unknown, detail};
}

int processor_count() {
  const long count = ::sysconf(_SC_NPROCESSORS_ONLN);
  return count > 0 ? static_cast<int>(count) : 1;
}

void check_processor(int cpu) {
  const long configured = ::sysconf(_SC_NPROCESSORS_CONF);
  if (cpu < 0 || cpu >= CPU_SETSIZE || (configured > 0 && cpu >= configured))
    throw std::runtime_error("processor " + std::to_string(cpu) + " does not exist (this machine has " +
                             std::to_string(configured) + ", numbered from 0)");
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  if (::sched_getaffinity(0, sizeof allowed, &allowed) == 0 && !CPU_ISSET(cpu, &allowed))
    throw std::runtime_error("processor " + std::to_string(cpu) + " is not among those this process may use (" +
                             cpu_list(allowed) + ")");
}

void pin_to_processor(int cpu) {
  check_processor(cpu);
  cpu_set_t one;
  CPU_ZERO(&one);
  CPU_SET(cpu, &one);
  // This program is single-threaded here, so its one thread's mask is what
  // every run it starts inherits.
  if (::sched_setaffinity(0, sizeof one, &one) != 0)
    throw std::runtime_error("cannot pin to processor " + std::to_string(cpu) + ": " + std::strerror(errno));
}

}  // namespace callbench
