#pragma once

namespace callbench {

// Readable once an interruption has been recorded, so a poll can wake for it;
// -1 before watch_for_interruption().
int interruption_fd();

// The process group of the run in progress (0 when none), which a fault of
// this program kills before the program ends.
void set_run_group(int group);

}  // namespace callbench
