#include <cstring>
#include <sstream>

#include "run/process.hpp"

namespace callbench {

std::string failure_reason(const ProcessResult& result, const std::string& program,
                           const ProcessLimits& limits) {
  std::ostringstream reason;
  switch (result.outcome) {
    case ProcessResult::Outcome::NotStarted:
      reason << "cannot start " << program << ": "
             << (result.start_error.empty() ? std::strerror(result.code) : result.start_error);
      break;
    case ProcessResult::Outcome::TimedOut:
      reason << "still running after the timeout of " << limits.timeout_seconds << " s; killed";
      break;
    case ProcessResult::Outcome::OutputTooLarge:
      reason << "output larger than " << limits.max_output << " bytes; killed";
      break;
    case ProcessResult::Outcome::Interrupted:
      reason << "interrupted; killed";
      break;
    case ProcessResult::Outcome::Signalled:
#ifdef _WIN32
      reason << "killed by signal " << result.code;
#else
      reason << "killed by signal " << result.code << " (" << ::strsignal(result.code) << ")";
#endif
      break;
    case ProcessResult::Outcome::Exited:
      if (result.code != 0) {
        reason << "exited with status " << result.code;
#ifdef _WIN32
        // Windows reports crashes as NTSTATUS exit codes such as 0xC0000005.
        if ((static_cast<unsigned>(result.code) & 0xC0000000u) == 0xC0000000u)
          reason << " (0x" << std::hex << std::uppercase << static_cast<unsigned>(result.code)
                 << ")";
#endif
      }
      break;
  }
  return reason.str();
}

}  // namespace callbench
