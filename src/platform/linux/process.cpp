// Process services over Linux system calls.
#include "platform/linux/system_call.h"
#include "platform/platform.h"

using namespace linux_i386;

namespace {

// The only handle GetCurrentProcess gives out, as on Windows.
Handle const kCurrentProcess = reinterpret_cast<Handle>(-1);

struct TimeSpec {
  int32_t seconds;
  int32_t nanoseconds;
};

}  // namespace

Handle CALLBENCH_STDCALL GetCurrentProcess() { return kCurrentProcess; }

// Priority classes map onto nice values; raising priority needs the
// privilege to lower nice, and without it the call simply fails.
int32_t CALLBENCH_STDCALL SetPriorityClass(Handle process, uint32_t priority_class) {
  constexpr int32_t kPrioProcess = 0, kThisProcess = 0;
  int32_t nice;
  if (process != kCurrentProcess) return 0;
  if (priority_class == kHighPriorityClass) {
    nice = -10;
  } else if (priority_class == kNormalPriorityClass) {
    nice = 0;
  } else {
    return 0;
  }
  return Call(kSetPriority, kPrioProcess, kThisProcess, nice) == 0;
}

// Sleeps the whole time, resuming after a signal with the time that remained.
void CALLBENCH_STDCALL Sleep(uint32_t milliseconds) {
  TimeSpec remaining = {static_cast<int32_t>(milliseconds / 1000),
                        static_cast<int32_t>(milliseconds % 1000) * 1000000};
  while (Call(kNanosleep, &remaining, &remaining) == -kEintr) {
  }
}

void CALLBENCH_STDCALL ExitProcess(uint32_t exit_code) {
  for (;;) Call(kExitGroup, exit_code);
}
