#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>

#include "system/interruption.hpp"
#include "system/interruption_posix.hpp"

namespace callbench {
namespace {

volatile sig_atomic_t recorded_signal = 0;
int wake_read = -1;
int wake_write = -1;

void record(int signal) {
  const int saved = errno;
  if (recorded_signal == 0) recorded_signal = signal;
  const char byte = 1;
  if (wake_write >= 0) (void)!::write(wake_write, &byte, 1);
  errno = saved;
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
  action.sa_handler = record;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
  // A reader that went away must show up as a failed write, not end the report.
  ::signal(SIGPIPE, SIG_IGN);
}

int interruption_signal() { return recorded_signal; }

int interruption_fd() { return wake_read; }

const char* signal_name(int signal) {
  switch (signal) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    default: return "a signal";
  }
}

}  // namespace callbench
