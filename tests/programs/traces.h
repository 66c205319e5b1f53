// The program's platform operations, read from an strace log (Linux) or
// Wine's relay log (Windows) and put in words common to both:
//   "pause 100 ms", "priority high", "priority normal", "write <bytes>",
//   "exit <code>", on Linux "ignore SIGPIPE", and for anything else the
//   call as logged, marked with "?".
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace callbench_test {

std::vector<std::string> StraceEvents(const std::string& log);

struct RelayCall {
  std::string function;           // without the module, e.g. "MessageBoxA"
  std::vector<std::string> args;  // as logged, e.g. `00427100 "4"`
};

// The calls of the relay log (a file: it runs to many megabytes) made from
// the program's own call sites (return address -> callee, as from
// ProgramImage::CallSites). Wine's internal calls and other processes'
// calls fail to match both the return address and the callee.
std::vector<RelayCall> ProgramRelayCalls(const std::string& log_path,
                                         const std::map<uint32_t, std::string>& call_sites);

std::vector<std::string> RelayEvents(const std::vector<RelayCall>& calls);

// The operations of a correct run that printed these figures, in order.
std::vector<std::string> ExpectedEvents(const std::vector<std::string>& figures);

// The quoted text of a logged string argument: `00427100 "4"` -> "4".
std::string QuotedText(const std::string& arg);

}  // namespace callbench_test
