#pragma once

namespace callbench {

// Readable once an interruption has been recorded, so a poll can wake for it;
// -1 before watch_for_interruption().
int interruption_fd();

}  // namespace callbench
