#pragma once

#include <string>

namespace callbench {

// From now on, a signal that would end this program (Ctrl+C or Ctrl+\, kill,
// a closed terminal, a timer; on Windows the console's control events) no
// longer ends it at once: it is recorded, any run in progress is stopped, and
// the report of the finished runs is still written.
void watch_for_interruption();

// 0 while not interrupted, else the signal number (the first one).
int interruption_signal();

// "SIGINT", "SIGRTMIN+3" and so on.
std::string signal_name(int signal);

// The conventional exit status after the signal: 128 + its number.
inline int interrupted_exit_status(int signal) {
  return 128 + signal;
}

}  // namespace callbench
