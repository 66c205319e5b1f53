// Raw i386 Linux system calls through int 0x80: number in EAX, arguments
// in EBX, ECX, EDX, ESI; the result, or minus an errno value, comes back in
// EAX. The compiler saves whichever of EBX and ESI it must preserve.
#pragma once

#include <stdint.h>

namespace linux_i386 {

enum SystemCall : int32_t {
  kWrite = 4,
  kSetPriority = 97,
  kRtSigaction = 174,
  kNanosleep = 162,
  kExitGroup = 252,
};

constexpr int32_t kEintr = 4;

inline int32_t SystemCall4(int32_t number, uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  int32_t result;
  asm volatile("int 0x80"
               : "=a"(result)
               : "a"(number), "b"(a), "c"(b), "d"(c), "S"(d)
               : "memory");
  return result;
}

template <typename A, typename B = uint32_t, typename C = uint32_t, typename D = uint32_t>
inline int32_t Call(SystemCall number, A a, B b = 0, C c = 0, D d = 0) {
  return SystemCall4(number, (uint32_t)a, (uint32_t)b, (uint32_t)c, (uint32_t)d);
}

}  // namespace linux_i386
