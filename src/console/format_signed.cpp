#include "console/console.h"

namespace {

// Unsigned division by 10 as a multiply by the rounded reciprocal 2^35 / 10:
// exact for every 32-bit dividend.
inline uint32_t DivideBy10(uint32_t n) {
  return static_cast<uint32_t>((static_cast<uint64_t>(n) * 0xCCCCCCCDu) >> 35);
}

}  // namespace

void CALLBENCH_STDCALL FormatSigned(int32_t value, char* buffer) {
  if (value == 0) {
    const uint16_t zero_text = '0';  // '0' then NUL, little-endian, in one store
    __builtin_memcpy(buffer, &zero_text, sizeof zero_text);
    return;
  }
  char* out = buffer;
  // Negation taken as unsigned also covers -2147483648, whose magnitude
  // does not fit in int32_t.
  uint32_t magnitude = static_cast<uint32_t>(value);
  if (value < 0) {
    *out++ = '-';
    magnitude = 0u - magnitude;
  }
  char* first_digit = out;
  while (magnitude > 0) {
    const uint32_t quotient = DivideBy10(magnitude);
    *out++ = static_cast<char>('0' + (magnitude - quotient * 10));
    magnitude = quotient;
  }
  *out = '\0';
  // Digits came least significant first: reverse them in place.
  for (char* last = out - 1; first_digit < last; ++first_digit, --last) {
    const char swap = *first_digit;
    *first_digit = *last;
    *last = swap;
  }
}
