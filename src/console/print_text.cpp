#include "console/console.h"

uint32_t CALLBENCH_STDCALL PrintText(const char* text) {
  // Asked for anew each time: the handle is never cached.
  Handle out = GetStdHandle(kStdOutputHandle);
  const uint32_t length = TextLength(text);
  uint32_t written = 0;  // stays 0 if the write fails before reporting
  WriteFile(out, text, length, &written, nullptr);
  return written;
}
