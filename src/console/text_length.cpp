#include "console/console.h"

namespace {

typedef uint32_t __attribute__((may_alias, aligned(1))) UnalignedWord;

// Flags the high bit of every zero byte of w. The lowest flag always marks
// the first zero byte; a higher flag can be false only above a true zero.
inline uint32_t ZeroByteFlags(uint32_t w) {
  return (w - 0x01010101u) & ~w & 0x80808080u;
}

// Index of the first zero byte, from nonzero flags.
inline uint32_t FirstFlaggedByte(uint32_t flags) {
  if (flags & 0x8080u) return (flags & 0x80u) ? 0 : 1;
  return (flags & 0x800000u) ? 2 : 3;
}

}  // namespace

uint32_t CALLBENCH_STDCALL TextLength(const char* text) {
  const char* word = text;
  // Four word tests per pass.
  for (;; word += 4 * sizeof(uint32_t)) {
#pragma GCC unroll 4
    for (uint32_t i = 0; i < 4; ++i) {
      const char* at = word + i * sizeof(uint32_t);
      const uint32_t flags = ZeroByteFlags(*reinterpret_cast<const UnalignedWord*>(at));
      if (flags != 0) return static_cast<uint32_t>(at - text) + FirstFlaggedByte(flags);
    }
  }
}
