// Calls a routine through the assembly harness and reports every way in
// which it broke the calling convention.
#pragma once

#include <stdint.h>

#include <initializer_list>
#include <string>

struct CallObservation {
  uint32_t eax, edx, ecx, ebx, esi, edi, ebp;
  int32_t stack_change;  // ESP after the call minus ESP before the pushes
  uint32_t canary;
};

enum class ArgumentRelease { kCallee, kCaller };

// Calls routine with the given 32-bit arguments at stack_skew bytes below
// a 16-byte boundary; returns what it left behind.
CallObservation ObserveCall(const void* routine, std::initializer_list<uint32_t> arguments,
                            uint32_t stack_skew = 0);

// Empty when the call kept the convention: EBX, ESI, EDI, EBP unchanged,
// the canary above the arguments intact, and the arguments released by
// whoever the convention says. Otherwise one line per fault.
std::string ConventionFaults(const CallObservation& call, uint32_t argument_count, ArgumentRelease release);
