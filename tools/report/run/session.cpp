#include "run/session.hpp"

#include <ostream>
#include <sstream>

#include "core/text.hpp"
#include "run/interruption.hpp"

namespace callbench {
namespace {

// "run i of K" rewritten in place on a terminal.
class Progress {
 public:
  Progress(std::ostream& out, bool enabled) : out_(out), enabled_(enabled) {}
  ~Progress() { clear(); }

  void show(int run, int runs) {
    if (!enabled_) return;
    std::ostringstream text;
    text << "run " << run << " of " << runs;
    clear();
    shown_ = text.str().size();
    out_ << text.str() << std::flush;
  }

  void clear() {
    if (shown_ == 0) return;
    out_ << '\r' << std::string(shown_, ' ') << '\r' << std::flush;
    shown_ = 0;
  }

 private:
  std::ostream& out_;
  bool enabled_;
  std::size_t shown_ = 0;
};

std::string size_line(std::size_t proc, std::int32_t size) {
  return std::string(kSizeHeadings[proc]) + "\t" + std::to_string(size) + "\r\n";
}

}  // namespace

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

std::variant<RunOutput, std::string> check_run(const ProcessResult& result,
                                               const std::string& program,
                                               const ProcessLimits& limits,
                                               const std::optional<SizeReference>& sizes) {
  if (auto reason = failure_reason(result, program, limits); !reason.empty()) return reason;
  auto parsed = parse_output(result.out);
  if (const auto* error = std::get_if<ParseError>(&parsed)) return describe(*error);
  auto& output = std::get<RunOutput>(parsed);
  if (sizes) {
    for (std::size_t proc = 0; proc < kProcedures; ++proc) {
      if (output.sizes[proc] == sizes->sizes[proc]) continue;
      const int line = static_cast<int>(kSweeps * (kProcedures + 1) + 1 + proc);
      return describe(ParseError{
          line, quote(size_line(proc, sizes->sizes[proc])) + " as in run " + std::to_string(sizes->run),
          quote(size_line(proc, output.sizes[proc]))});
    }
  }
  return output;
}

Session run_session(const std::vector<std::string>& command, int runs, const ProcessLimits& limits,
                    std::ostream& log, bool show_progress) {
  Session session;
  std::optional<SizeReference> sizes;
  Progress progress(log, show_progress);
  for (int number = 1; number <= runs; ++number) {
    if ((session.interrupted_by = interruption_signal()) != 0) break;
    progress.show(number, runs);
    const auto result = run_process(command, limits);
    if (result.outcome == ProcessResult::Outcome::Interrupted) {
      session.interrupted_by = interruption_signal();
      break;
    }
    auto checked = check_run(result, command.front(), limits, sizes);
    if (auto* output = std::get_if<RunOutput>(&checked)) {
      if (!sizes) {
        sizes = SizeReference{output->sizes, number};
        session.sizes = output->sizes;
      }
      session.runs.push_back({number, result.wall_seconds, output->figures});
      continue;
    }
    auto& reason = std::get<std::string>(checked);
    progress.clear();
    log << "run " << number << ": " << reason << '\n';
    for (const auto& line : error_lines(result.err, result.err_dropped))
      log << "  stderr: " << line << '\n';
    session.failures.push_back({number, std::move(reason)});
    if (result.outcome == ProcessResult::Outcome::NotStarted) {
      // It will not start the next time either.
      log << "no further runs: the command cannot be started\n";
      session.cannot_start = true;
      break;
    }
    log << std::flush;
  }
  log << std::flush;
  return session;
}

}  // namespace callbench
