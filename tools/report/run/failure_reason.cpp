#include "run/failure_reason.hpp"

#include <cstring>
#include <sstream>

#include "core/text.hpp"

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
          reason << " (0x" << std::hex << std::uppercase << static_cast<unsigned>(result.code) << ")";
#endif
      }
      break;
  }
  return reason.str();
}

std::vector<std::string> error_lines(const std::string& tail, std::size_t dropped) {
  std::vector<std::string> lines;
  std::istringstream in(tail);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  // The first line of a cut tail is only the end of a line.
  if (dropped > 0 && !lines.empty()) lines.erase(lines.begin());
  std::vector<std::string> shown;
  std::size_t first = 0;
  if (lines.size() > kErrorLinesShown) first = lines.size() - kErrorLinesShown;
  if (first > 0 || dropped > 0) shown.push_back("(earlier output left out)");
  for (std::size_t i = first; i < lines.size(); ++i) {
    std::string text = escape(lines[i].substr(0, kErrorLineLength));
    if (lines[i].size() > kErrorLineLength) text += " ...";
    shown.push_back(std::move(text));
  }
  return shown;
}

}  // namespace callbench
