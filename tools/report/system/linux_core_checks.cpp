// Whether something else shares the processor the runs use: a busy SMT
// sibling, the scheduler's other tasks, the load of the whole machine.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

#include "system/cpu_list.hpp"
#include "system/linux_checks.hpp"
#include "system/shared_checks.hpp"

namespace callbench {
namespace {

using Status = MachineCheck::Status;

// More than a fifth of its time at work: a workload, not a shell or a daemon's wake-up.
constexpr double kBusyFraction = 0.2;
// /proc/stat has a line per processor and one with every interrupt's count.
constexpr std::size_t kProcStatLimit = 4 * 1024 * 1024;

struct CpuTimes {
  unsigned long long busy = 0, total = 0;
};

// Per processor, from the "cpuN user nice system idle iowait irq softirq steal
// ..." lines. Steal is time the host gave to others, neither busy nor idle here.
std::map<int, CpuTimes> parse_proc_stat(const std::string& text) {
  std::map<int, CpuTimes> times;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.compare(0, 3, "cpu") != 0 || line.size() < 4 || line[3] < '0' || line[3] > '9') continue;
    std::istringstream fields(line.substr(3));
    int cpu = -1;
    unsigned long long user, nice, system, idle, iowait, irq, softirq;
    if (!(fields >> cpu >> user >> nice >> system >> idle >> iowait >> irq >> softirq)) continue;
    const unsigned long long busy = user + nice + system + irq + softirq;
    times[cpu] = {busy, busy + idle + iowait};
  }
  return times;
}

// Each processor's busy share between two samples; none where it did not move.
std::map<int, double> busy_shares(const std::map<int, CpuTimes>& before, const std::map<int, CpuTimes>& after) {
  std::map<int, double> shares;
  for (const auto& [cpu, end] : after) {
    const auto start = before.find(cpu);
    if (start == before.end() || end.total <= start->second.total || end.busy < start->second.busy) continue;
    shares[cpu] = static_cast<double>(end.busy - start->second.busy) /
                  static_cast<double>(end.total - start->second.total);
  }
  return shares;
}

std::string percent(double share) {
  char text[16];
  std::snprintf(text, sizeof text, "%.0f%%", 100 * share);
  return text;
}

std::vector<int> without(std::vector<int> cpus, int cpu) {
  cpus.erase(std::remove(cpus.begin(), cpus.end(), cpu), cpus.end());
  return cpus;
}

std::optional<std::vector<int>> siblings_of(const LinuxTree& tree, int cpu, std::string* why) {
  auto siblings = tree.cpu_list_file("cpu" + std::to_string(cpu) + "/topology/thread_siblings_list", why);
  if (!siblings) return std::nullopt;
  return without(*siblings, cpu);
}

bool is_quiet(const std::map<int, double>& shares, int cpu) {
  const auto share = shares.find(cpu);
  return share != shares.end() && share->second <= kBusyFraction;
}

// A processor other than avoid whose core is idle, itself and its siblings.
std::optional<int> quiet_core(const LinuxTree& tree, const Processors& processors,
                              const std::map<int, double>& shares, int avoid) {
  for (const int cpu : processors.online.value_or(std::vector<int>{})) {
    if (cpu == avoid || !is_quiet(shares, cpu)) continue;
    const auto siblings = siblings_of(tree, cpu, nullptr);
    if (!siblings) continue;
    bool quiet = true;
    for (const int sibling : *siblings) quiet = quiet && sibling != avoid && is_quiet(shares, sibling);
    if (quiet) return cpu;
  }
  return std::nullopt;
}

MachineCheck unpinned_smt_check(const LinuxTree& tree, const Processors& processors,
                                const MachineCheck& check) {
  if (!processors.online) return unknown_because(check, processors.why);
  std::vector<int> sharing;
  for (const int cpu : *processors.online) {
    std::string why;
    const auto siblings = siblings_of(tree, cpu, &why);
    if (!siblings) return unknown_because(check, why);
    if (!siblings->empty()) sharing.push_back(cpu);
  }
  if (sharing.empty()) return judged(check, "none: every processor has its core to itself", Status::Fit);
  // Where the runs land, and what their sibling does then, is the scheduler's choice.
  return judged(check,
                "unknown: runs not pinned, and " + name_processors(sharing) + " share" +
                    (sharing.size() == 1 ? "s" : "") + " a core with another",
                Status::Unknown, "pin the runs with --cpu N to a processor whose sibling is idle");
}

}  // namespace

// A busy sibling takes half of the core's execution units and caches from
// the runs, and the user can pin elsewhere or stop it.
MachineCheck smt_sibling_check(const LinuxTree& tree, const Processors& processors,
                               const std::function<void()>& between_samples) {
  const MachineCheck check{"smt_sibling", "SMT sibling", {}, Status::Unknown, {}};
  if (!processors.pinned) return unpinned_smt_check(tree, processors, check);
  const int pinned = *processors.pinned;
  std::string why;
  const auto siblings = siblings_of(tree, pinned, &why);
  if (!siblings) return unknown_because(check, why);
  if (siblings->empty())
    return judged(check, "none: processor " + std::to_string(pinned) + " has its core to itself", Status::Fit);

  const auto first = tree.read("/proc/stat", &why, kProcStatLimit);
  if (first && between_samples) between_samples();
  const auto second = first ? tree.read("/proc/stat", &why, kProcStatLimit) : std::nullopt;
  if (!second) return unknown_because(check, why);
  const auto shares = busy_shares(parse_proc_stat(*first), parse_proc_stat(*second));

  std::string described;
  bool busy = false, all_read = true;
  for (const int sibling : *siblings) {
    const auto share = shares.find(sibling);
    described += (described.empty() ? "" : ", ") + std::to_string(sibling);
    if (share == shares.end()) {
      described += " (not seen in /proc/stat)";
      all_read = false;
      continue;
    }
    described += " (" + percent(share->second) + " busy)";
    busy = busy || share->second > kBusyFraction;
  }
  const std::string value = "processor " + std::to_string(pinned) + " shares its core with " + described;
  if (!busy) return judged(check, value, all_read ? Status::Fit : Status::Unknown);
  const auto quiet = quiet_core(tree, processors, shares, pinned);
  return judged(check, value, Status::NotFit,
                quiet ? "pin the runs with --cpu " + std::to_string(*quiet) + ", whose core is idle now"
                      : "pin the runs with --cpu N to a processor whose sibling is idle");
}

// Processors set aside with isolcpus= (or nohz_full=) are the quiet ones;
// leaving them unused when they exist is the user's to fix, while having none
// needs a reboot with new kernel options, so that is only a note.
MachineCheck isolated_check(const LinuxTree& tree, const Processors& processors) {
  const MachineCheck check{"isolated_processors", "isolated processors", {}, Status::Unknown, {}};
  std::string why;
  const auto isolated = tree.cpu_list_file("isolated", &why);
  if (!isolated) return unknown_because(check, why);
  // Kernels built without NO_HZ_FULL have no such file: none.
  const auto nohz_full = tree.cpu_list_file("nohz_full").value_or(std::vector<int>{});
  std::vector<int> quiet = *isolated;
  quiet.insert(quiet.end(), nohz_full.begin(), nohz_full.end());
  std::sort(quiet.begin(), quiet.end());
  quiet.erase(std::unique(quiet.begin(), quiet.end()), quiet.end());

  const auto list = [](const std::vector<int>& cpus) { return cpus.empty() ? "none" : format_cpu_list(cpus); };
  const std::string sets = "isolated " + list(*isolated) + ", nohz_full " + list(nohz_full);
  if (quiet.empty())
    return judged(check, "none", Status::Note,
                  "to keep other work off a processor, boot with isolcpus=N nohz_full=N on the kernel "
                  "command line and pin the runs there with --cpu N");
  const auto pinned = processors.pinned;
  if (pinned && std::binary_search(quiet.begin(), quiet.end(), *pinned))
    return judged(check, "processor " + std::to_string(*pinned) + " is one (" + sets + ")", Status::Fit);
  return judged(
      check,
      (pinned ? "processor " + std::to_string(*pinned) + " is not one" : std::string("runs not pinned")) +
          " (" + sets + ")",
      Status::NotFit, "pin the runs to an isolated processor: --cpu " + std::to_string(quiet.front()));
}

// A load at or above the processor count means the runs queue behind other
// work, which the user can wait out; some load below that is other people's
// work on a shared machine, worth knowing.
MachineCheck load_check(const LinuxTree& tree, const Processors& processors) {
  const MachineCheck check{"load", "load average", {}, Status::Unknown, {}};
  std::string why;
  const auto text = tree.read("/proc/loadavg", &why);
  double loads[3];
  if (text && std::sscanf(text->c_str(), "%lf %lf %lf", &loads[0], &loads[1], &loads[2]) != 3)
    why = "/proc/loadavg: not three load averages";
  if (!text || !why.empty()) return unknown_because(check, why);
  char figures[64];
  std::snprintf(figures, sizeof figures, "%.2f %.2f %.2f", loads[0], loads[1], loads[2]);
  if (!processors.online)
    return judged(check, figures + (" (processor count unknown: " + processors.why + ")"), Status::Unknown);
  const auto count = processors.online->size();
  const std::string value = figures + (" over 1, 5, 15 minutes, on " + std::to_string(count) + " processor") +
                            (count == 1 ? "" : "s");
  if (loads[0] >= static_cast<double>(count))
    return judged(
        check, value, Status::NotFit,
        "wait for the machine to be idle (see top), or pin the runs with --cpu N to a quiet processor");
  if (loads[0] >= 0.5)
    return judged(check, value, Status::Note,
                  "others are at work here: pin the runs with --cpu N to a quiet processor");
  return judged(check, value, Status::Fit);
}

}  // namespace callbench
