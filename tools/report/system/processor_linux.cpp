#include "core/processor_identity.hpp"
#include "system/linux_tree.hpp"
#include "system/processor.hpp"

namespace callbench {
namespace {

// /proc/cpuinfo grows by about 1.5 KB a processor: room for thousands.
constexpr std::size_t kCpuinfoLimit = 8 * 1024 * 1024;

}  // namespace

// The kernel shows the revision in /sys when built with its microcode loader,
// and in /proc/cpuinfo on x86 always; a guest sees what its hypervisor tells.
std::optional<std::uint32_t> read_microcode(int cpu) {
  const LinuxTree tree("");
  if (const auto version = tree.processor_file(cpu, "microcode/version"))
    if (const auto value = parse_hex32(*version)) return value;
  const auto cpuinfo = tree.read("/proc/cpuinfo", nullptr, kCpuinfoLimit);
  return cpuinfo ? cpuinfo_microcode(*cpuinfo, cpu) : std::nullopt;
}

}  // namespace callbench
