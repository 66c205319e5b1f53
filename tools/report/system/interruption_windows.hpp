#pragma once

namespace callbench {

// A manual-reset event (a HANDLE) set once an interruption has been recorded,
// so a wait can wake for it; null before watch_for_interruption().
void* interruption_event();

}  // namespace callbench
