// Standard handles, writing and the message box over Linux system calls.
// A handle is a file descriptor.
#include "platform/linux/system_call.h"
#include "platform/platform.h"

using namespace linux_i386;

namespace {

Handle const kInvalidHandle = reinterpret_cast<Handle>(-1);

// The kernel's struct sigaction for rt_sigaction on i386.
struct KernelSigaction {
  uint32_t handler;
  uint32_t flags;
  uint32_t restorer;
  uint32_t mask[2];
};

// A write to a pipe whose reader has gone must fail, not kill the process.
// Done on first use, since nothing may run before the entry point.
void IgnoreBrokenPipes() {
  constexpr int32_t kSigpipe = 13;
  constexpr uint32_t kSigIgn = 1;
  static bool done = false;
  if (done) return;
  const KernelSigaction ignore = {kSigIgn, 0, 0, {0, 0}};
  constexpr uint32_t kSignalSetBytes = sizeof ignore.mask;
  Call(kRtSigaction, kSigpipe, &ignore, 0u, kSignalSetBytes);
  done = true;
}

uint32_t Length(const char* text) {
  uint32_t n = 0;
  while (text[n] != '\0') ++n;
  return n;
}

int32_t Write(uint32_t fd, const void* bytes, uint32_t count) {
  IgnoreBrokenPipes();
  return Call(kWrite, fd, bytes, count);
}

void WriteText(uint32_t fd, const char* text) { Write(fd, text, Length(text)); }

}  // namespace

Handle CALLBENCH_STDCALL GetStdHandle(uint32_t which) {
  if (which == kStdInputHandle) return reinterpret_cast<Handle>(0);
  if (which == kStdOutputHandle) return reinterpret_cast<Handle>(1);
  if (which == kStdErrorHandle) return reinterpret_cast<Handle>(2);
  return kInvalidHandle;
}

int32_t CALLBENCH_STDCALL WriteFile(Handle file, const void* bytes, uint32_t count,
                                    uint32_t* written, void*) {
  const int32_t result = Write(reinterpret_cast<uint32_t>(file), bytes, count);
  if (written != nullptr) *written = result < 0 ? 0 : static_cast<uint32_t>(result);
  return result >= 0;
}

// No windows here: the notice goes to standard error as "caption: text",
// and the box counts as dismissed with OK.
int32_t CALLBENCH_STDCALL MessageBoxA(Handle, const char* text, const char* caption, uint32_t) {
  constexpr uint32_t kStandardError = 2;
  WriteText(kStandardError, caption);
  WriteText(kStandardError, ": ");
  WriteText(kStandardError, text);
  WriteText(kStandardError, "\n");
  return kMessageBoxResultOk;
}
