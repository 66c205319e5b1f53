#pragma once

namespace callbench {

// From now on, an interrupt, terminate or hang-up request (Ctrl+C, kill, a
// closed terminal; on Windows the console's control events) no longer ends
// this program at once: it is recorded, any run in progress is stopped, and
// the report of the finished runs is still written.
void watch_for_interruption();

// 0 while not interrupted, else the signal number (SIGINT, SIGTERM, SIGHUP).
int interruption_signal();

// "SIGINT" and so on.
const char* signal_name(int signal);

// The conventional exit status after the signal: 128 + its number.
inline int interrupted_exit_status(int signal) { return 128 + signal; }

}  // namespace callbench
