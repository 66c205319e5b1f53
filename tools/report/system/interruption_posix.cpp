#include <fcntl.h>
#include <signal.h>
#include <string.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "system/interruption.hpp"
#include "system/interruption_posix.hpp"

namespace callbench {
namespace {

volatile sig_atomic_t recorded_signal = 0;
volatile sig_atomic_t run_group = 0;
int wake_read = -1;
int wake_write = -1;

// Signals the hardware raises for a fault of this program; handled as a
// request only when another process sends them.
bool is_fault(int signal) {
  return signal == SIGSEGV || signal == SIGBUS || signal == SIGFPE || signal == SIGILL || signal == SIGTRAP ||
         signal == SIGSYS || signal == SIGABRT;
}

void record(int signal, siginfo_t* info, void*) {
  const int saved = errno;
  const bool sent = info != nullptr && info->si_code <= 0 && info->si_pid != ::getpid();
  if (is_fault(signal) && !sent) {
    // This program itself went wrong and will end: take the run with it,
    // then let the signal do what it does by default.
    if (run_group > 0) ::kill(-static_cast<pid_t>(run_group), SIGKILL);
    ::signal(signal, SIG_DFL);
    if (info == nullptr || info->si_code <= 0) ::raise(signal);
    errno = saved;
    return;
  }
  if (recorded_signal == 0) recorded_signal = signal;
  const char byte = 1;
  if (wake_write >= 0) (void)!::write(wake_write, &byte, 1);
  errno = saved;
}

// Every signal whose default action ends the process, except SIGKILL, which
// cannot be caught, and SIGPIPE, which is ignored so that a write fails instead.
bool ends_the_process(int signal) {
  switch (signal) {
    case SIGKILL:
    case SIGPIPE:
    case SIGCHLD:
    case SIGCONT:
    case SIGSTOP:
    case SIGTSTP:
    case SIGTTIN:
    case SIGTTOU:
    case SIGURG:
    case SIGWINCH:
      return false;
    default:
      return true;
  }
}

}  // namespace

void watch_for_interruption() {
  if (wake_read >= 0) return;
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
    wake_read = ends[0];
    wake_write = ends[1];
  }
  struct sigaction action = {};
  action.sa_sigaction = record;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART | SA_SIGINFO;
  for (int signal = 1; signal < NSIG; ++signal)
    if (ends_the_process(signal)) ::sigaction(signal, &action, nullptr);
  // A reader that went away must show up as a failed write, not end the report.
  ::signal(SIGPIPE, SIG_IGN);
}

int interruption_signal() {
  return recorded_signal;
}

int interruption_fd() {
  return wake_read;
}

void set_run_group(int group) {
  run_group = group;
}

std::string signal_name(int signal) {
  if (signal >= SIGRTMIN && signal <= SIGRTMAX)
    return signal == SIGRTMIN ? "SIGRTMIN" : "SIGRTMIN+" + std::to_string(signal - SIGRTMIN);
  const char* name = ::sigabbrev_np(signal);
  return name ? std::string("SIG") + name : "signal " + std::to_string(signal);
}

}  // namespace callbench
