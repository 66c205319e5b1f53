#include "run/session.hpp"

#include <ostream>
#include <sstream>

namespace callbench {
namespace {

constexpr std::size_t kStderrLinesShown = 10;

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

void show_stderr(std::ostream& log, const std::string& err) {
  std::vector<std::string> lines;
  std::istringstream in(err);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  std::size_t first = 0;
  if (lines.size() > kStderrLinesShown) {
    first = lines.size() - kStderrLinesShown;
    log << "  stderr: (" << first << " earlier lines left out)\n";
  }
  for (std::size_t i = first; i < lines.size(); ++i) log << "  stderr: " << escape(lines[i]) << '\n';
}

}  // namespace

std::variant<RunOutput, std::string> check_run(const SpawnResult& result,
                                               const std::string& program,
                                               double timeout_seconds,
                                               const std::optional<SizeReference>& sizes) {
  if (auto reason = failure_reason(result, program, timeout_seconds); !reason.empty())
    return reason;
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

Session run_session(const std::vector<std::string>& command, int runs, double timeout_seconds,
                    std::ostream& log, bool show_progress) {
  Session session;
  std::optional<SizeReference> sizes;
  Progress progress(log, show_progress);
  for (int number = 1; number <= runs; ++number) {
    progress.show(number, runs);
    const auto result = run_command(command, timeout_seconds);
    auto checked = check_run(result, command.front(), timeout_seconds, sizes);
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
    show_stderr(log, result.err);
    log << std::flush;
    session.failures.push_back({number, std::move(reason)});
  }
  return session;
}

}  // namespace callbench
