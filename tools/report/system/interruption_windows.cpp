#include <windows.h>

#include <atomic>
#include <csignal>

#include "system/interruption.hpp"
#include "system/interruption_windows.hpp"

namespace callbench {
namespace {

// Windows has no SIGHUP; a closed console is its counterpart.
constexpr int kSigHup = 1;

std::atomic<int> recorded_signal{0};
HANDLE wake = nullptr;

int signal_for(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      return SIGINT;
    case CTRL_CLOSE_EVENT:
      return kSigHup;
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      return SIGTERM;
    default:
      return 0;
  }
}

// Runs on a thread of its own that the system starts for the event.
BOOL WINAPI record(DWORD event) {
  const int signal = signal_for(event);
  if (signal == 0) return FALSE;
  int none = 0;
  recorded_signal.compare_exchange_strong(none, signal);
  if (wake) ::SetEvent(wake);
  // After these the system ends the process once the handler returns, so
  // hold it while the main thread writes the report; its exit ends us both.
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
    ::Sleep(INFINITE);
  return TRUE;
}

}  // namespace

void watch_for_interruption() {
  if (wake) return;
  wake = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ::SetConsoleCtrlHandler(record, TRUE);
}

int interruption_signal() {
  return recorded_signal.load();
}

void* interruption_event() {
  return wake;
}

std::string signal_name(int signal) {
  switch (signal) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
    case kSigHup:
      return "SIGHUP";
    default:
      return "a signal";
  }
}

}  // namespace callbench
