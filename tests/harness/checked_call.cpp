#include "harness/checked_call.h"

#include <vector>

extern "C" {
extern CallObservation LastCall;
void CheckedCall(const void* routine, const uint32_t* arguments, uint32_t count,
                 uint32_t stack_skew);
}

namespace {

struct Seed {
  const char* name;
  uint32_t CallObservation::*field;
  uint32_t value;
};

// Must match the seeds in checked_call.S.
constexpr Seed kSeeds[] = {
    {"EBX", &CallObservation::ebx, 0x0EB00EB0},
    {"ESI", &CallObservation::esi, 0x05100510},
    {"EDI", &CallObservation::edi, 0x0ED10ED1},
    {"EBP", &CallObservation::ebp, 0x0EB90EB9},
};
constexpr uint32_t kCanary = 0xCA11AB1E;

}  // namespace

CallObservation ObserveCall(const void* routine, std::initializer_list<uint32_t> arguments,
                            uint32_t stack_skew) {
  const std::vector<uint32_t> words(arguments);
  CheckedCall(routine, words.data(), static_cast<uint32_t>(words.size()), stack_skew);
  return LastCall;
}

std::string ConventionFaults(const CallObservation& call, uint32_t argument_count,
                             ArgumentRelease release) {
  std::string faults;
  for (const Seed& seed : kSeeds) {
    if (call.*seed.field != seed.value) faults += std::string(seed.name) + " changed\n";
  }
  const int32_t expected_change =
      release == ArgumentRelease::kCallee ? 0 : -4 * static_cast<int32_t>(argument_count);
  if (call.stack_change != expected_change) {
    faults += "stack pointer moved by " + std::to_string(call.stack_change) + ", expected " +
              std::to_string(expected_change) + "\n";
  }
  if (call.canary != kCanary) faults += "stack corruption above the arguments\n";
  return faults;
}
