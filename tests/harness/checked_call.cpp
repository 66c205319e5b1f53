#include "harness/checked_call.h"

#include <iterator>
#include <vector>

extern "C" {
extern CallObservation LastCall;
extern const uint32_t CallSeeds[5];  // EBX, ESI, EDI, EBP, then the canary
void CheckedCall(const void* routine, const uint32_t* arguments, uint32_t count, uint32_t stack_skew);
}

namespace {

struct KeptRegister {
  const char* name;
  uint32_t CallObservation::*field;
};

// In the order of CallSeeds.
constexpr KeptRegister kKeptRegisters[] = {
    {"EBX", &CallObservation::ebx},
    {"ESI", &CallObservation::esi},
    {"EDI", &CallObservation::edi},
    {"EBP", &CallObservation::ebp},
};
constexpr size_t kCanaryIndex = 4;

}  // namespace

CallObservation ObserveCall(const void* routine, std::initializer_list<uint32_t> arguments,
                            uint32_t stack_skew) {
  const std::vector<uint32_t> words(arguments);
  CheckedCall(routine, words.data(), static_cast<uint32_t>(words.size()), stack_skew);
  return LastCall;
}

std::string ConventionFaults(const CallObservation& call, uint32_t argument_count, ArgumentRelease release) {
  std::string faults;
  for (size_t i = 0; i < std::size(kKeptRegisters); ++i) {
    const KeptRegister& kept = kKeptRegisters[i];
    if (call.*kept.field != CallSeeds[i]) faults += std::string(kept.name) + " changed\n";
  }
  const int32_t expected_change =
      release == ArgumentRelease::kCallee ? 0 : -4 * static_cast<int32_t>(argument_count);
  if (call.stack_change != expected_change) {
    faults += "stack pointer moved by " + std::to_string(call.stack_change) + ", expected " +
              std::to_string(expected_change) + "\n";
  }
  if (call.canary != CallSeeds[kCanaryIndex]) faults += "stack corruption above the arguments\n";
  return faults;
}
