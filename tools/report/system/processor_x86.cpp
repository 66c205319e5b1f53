#include <cpuid.h>
#include <x86intrin.h>

#include <chrono>
#include <cstring>

#include "core/processor_identity.hpp"
#include "system/processor.hpp"

namespace callbench {
namespace {

constexpr unsigned kBrandFirstLeaf = 0x80000002;
constexpr unsigned kBrandLastLeaf = 0x80000004;
constexpr unsigned kPowerManagementLeaf = 0x80000007;
constexpr unsigned kInvariantTscBit = 1u << 8;
constexpr unsigned kFeatureLeaf = 1;
constexpr unsigned kHypervisorBit = 1u << 31;
constexpr unsigned kHypervisorLeaf = 0x40000000;

// Leaf 0: the vendor in EBX, EDX, ECX; leaf 1: the signature in EAX.
std::optional<ProcessorIdentity> cpuid_identity(std::optional<int> cpu) {
  unsigned a, b, c, d;
  if (__get_cpuid_max(0, nullptr) < kFeatureLeaf) return std::nullopt;
  __cpuid(0, a, b, c, d);
  char vendor[13] = {};
  std::memcpy(vendor, &b, 4);
  std::memcpy(vendor + 4, &d, 4);
  std::memcpy(vendor + 8, &c, 4);
  __cpuid(kFeatureLeaf, a, b, c, d);
  ProcessorIdentity identity = identify_processor(vendor, a);
  identity.microcode = read_microcode(cpu.value_or(0));
  return identity;
}

unsigned highest_extended_leaf() {
  return __get_cpuid_max(0x80000000, nullptr);
}

std::string brand_string() {
  if (highest_extended_leaf() < kBrandLastLeaf) return {};
  char text[49] = {};
  for (unsigned leaf = kBrandFirstLeaf; leaf <= kBrandLastLeaf; ++leaf) {
    unsigned registers[4];
    __cpuid(leaf, registers[0], registers[1], registers[2], registers[3]);
    std::memcpy(text + 16 * (leaf - kBrandFirstLeaf), registers, sizeof registers);
  }
  std::string brand(text);
  // Vendors pad the string at either end.
  const auto first = brand.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return brand.substr(first, brand.find_last_not_of(' ') - first + 1);
}

// CPUID waits for everything before it to finish, and nothing after it starts early.
void serialise() {
  unsigned a, b, c, d;
  __cpuid(0, a, b, c, d);
}

// LFENCE keeps the counter read from moving across the code being timed,
// without the cost of CPUID, which a hypervisor traps.
std::uint64_t fenced_counter() {
  asm volatile("lfence" ::: "memory");
  const std::uint64_t ticks = __rdtsc();
  asm volatile("lfence" ::: "memory");
  return ticks;
}

}  // namespace

Processor read_processor(std::optional<int> cpu) {
  Processor processor;
  processor.brand = brand_string();
  processor.identity = cpuid_identity(cpu);
  if (highest_extended_leaf() >= kPowerManagementLeaf) {
    unsigned a, b, c, d;
    __cpuid(kPowerManagementLeaf, a, b, c, d);
    processor.invariant_tsc = (d & kInvariantTscBit) != 0;
  }
  return processor;
}

Hypervisor read_hypervisor() {
  Hypervisor hypervisor;
  unsigned a, b, c, d;
  if (!__get_cpuid(kFeatureLeaf, &a, &b, &c, &d)) return hypervisor;
  hypervisor.present = (c & kHypervisorBit) != 0;
  // The hypervisor's leaves mean something only when the bit is set.
  if (!hypervisor.present) return hypervisor;
  __cpuid(kHypervisorLeaf, a, b, c, d);
  char text[13] = {};
  std::memcpy(text, &b, 4);
  std::memcpy(text + 4, &c, 4);
  std::memcpy(text + 8, &d, 4);
  hypervisor.signature = text;  // KVM pads with NULs: "KVMKVMKVM"
  return hypervisor;
}

ChainTiming time_addition_chain(std::uint64_t additions) {
  constexpr unsigned kUnrolled = 64;
  // The loop counts in a register, 32 bits on i686: longer chains take rounds.
  constexpr std::uint64_t kBlocksPerRound = 1u << 30;
  std::uint64_t blocks_left = additions / kUnrolled;
  unsigned long rest = static_cast<unsigned long>(additions % kUnrolled);
  unsigned long sum = 0;
  const unsigned long one = 1;

  using Clock = std::chrono::steady_clock;
  serialise();
  const auto started = Clock::now();
  const std::uint64_t start = fenced_counter();
  while (blocks_left > 0) {
    auto blocks = static_cast<unsigned long>(blocks_left < kBlocksPerRound ? blocks_left : kBlocksPerRound);
    blocks_left -= blocks;
    // Register to register, each add waiting for the one before: one cycle
    // apiece, which no renamer folds away. The loop's own count runs alongside.
    asm volatile(
        "1:\n\t"
        ".rept %c[unrolled]\n\t"
        "add %[one], %[sum]\n\t"
        ".endr\n\t"
        "dec %[blocks]\n\t"
        "jnz 1b"
        : [sum] "+r"(sum), [blocks] "+r"(blocks)
        : [one] "r"(one), [unrolled] "i"(kUnrolled)
        : "cc");
  }
  if (rest > 0)
    asm volatile(
        "1:\n\t"
        "add %[one], %[sum]\n\t"
        "dec %[rest]\n\t"
        "jnz 1b"
        : [sum] "+r"(sum), [rest] "+r"(rest)
        : [one] "r"(one)
        : "cc");
  const std::uint64_t end = fenced_counter();
  const auto ended = Clock::now();
  serialise();

  asm volatile("" : : "r"(sum));  // the chain's result is used, so it stays
  return {end - start, std::chrono::duration<double>(ended - started).count()};
}

}  // namespace callbench
