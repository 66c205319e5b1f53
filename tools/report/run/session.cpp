#include "run/session.hpp"

#include <algorithm>
#include <ostream>
#include <sstream>

#include "core/text.hpp"
#include "run/interruption.hpp"

namespace callbench {
namespace {

// One line rewritten in place on a terminal.
class Progress {
 public:
  Progress(std::ostream& out, bool enabled) : out_(out), enabled_(enabled) {}
  ~Progress() { clear(); }

  void show(const std::string& text) {
    if (!enabled_) return;
    clear();
    shown_ = text.size();
    out_ << text << std::flush;
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

std::string percent(double fraction) {
  std::ostringstream text;
  text.precision(fraction < 0.1 ? 2 : 3);
  text << fraction * 100 << '%';
  return text.str();
}

// The runs of one command as they come in.
struct Track {
  const std::vector<std::string>* command;
  Series series;
  std::optional<SizeReference> sizes;
};

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

std::variant<RunOutput, std::string> check_output(const std::string& output,
                                                  const std::optional<SizeReference>& sizes) {
  auto parsed = parse_output(output);
  if (const auto* error = std::get_if<ParseError>(&parsed)) return describe(*error);
  auto& run = std::get<RunOutput>(parsed);
  if (sizes) {
    for (std::size_t proc = 0; proc < kProcedures; ++proc) {
      if (run.sizes[proc] == sizes->sizes[proc]) continue;
      const int line = static_cast<int>(kSweeps * (kProcedures + 1) + 1 + proc);
      return describe(ParseError{
          line, quote(size_line(proc, sizes->sizes[proc])) + " as in run " + std::to_string(sizes->run),
          quote(size_line(proc, run.sizes[proc]))});
    }
  }
  return run;
}

std::variant<RunOutput, std::string> check_run(const ProcessResult& result,
                                               const std::string& program,
                                               const ProcessLimits& limits,
                                               const std::optional<SizeReference>& sizes) {
  if (auto reason = failure_reason(result, program, limits); !reason.empty()) return reason;
  return check_output(result.out, sizes);
}

SessionResult run_session(const SessionPlan& plan, std::ostream& log, bool show_progress,
                          const PrecisionProbe& probe) {
  SessionResult result;
  std::vector<Track> tracks;
  const bool several = plan.commands.size() > 1;
  for (std::size_t i = 0; i < plan.commands.size(); ++i) {
    Track track{&plan.commands[i], {}, std::nullopt};
    track.series.command = plan.commands[i];
    track.series.runs_requested = plan.runs;
    tracks.push_back(std::move(track));
  }
  Progress progress(log, show_progress);
  std::string widest_text;

  // One run of one command; false when the session must stop.
  const auto run_once = [&](Track& track, std::size_t index, int number, bool warmup) {
    if ((result.interrupted_by = interruption_signal()) != 0) return false;
    const std::string which = several ? " (" + std::string(1, static_cast<char>('A' + index)) + ")" : "";
    std::string status = warmup ? "warm-up run " + std::to_string(number) : "run " + std::to_string(number);
    if (!warmup) status += plan.precision ? " (up to " + std::to_string(plan.max_runs) + ")"
                                          : " of " + std::to_string(plan.runs);
    progress.show(status + which + widest_text);

    const auto outcome = run_process(*track.command, plan.limits);
    if (outcome.outcome == ProcessResult::Outcome::Interrupted) {
      result.interrupted_by = interruption_signal();
      return false;
    }
    auto checked = check_run(outcome, track.command->front(), plan.limits, track.sizes);
    if (auto* output = std::get_if<RunOutput>(&checked)) {
      if (!track.sizes) {
        track.sizes = SizeReference{output->sizes, number};
        track.series.sizes = output->sizes;
      }
      if (warmup) {
        ++track.series.warmup_runs;
      } else {
        track.series.runs.push_back({number, outcome.wall_seconds, output->figures});
      }
      return true;
    }
    auto& reason = std::get<std::string>(checked);
    progress.clear();
    log << (warmup ? "warm-up run " : "run ") << number << which << ": " << reason << '\n';
    for (const auto& line : error_lines(outcome.err, outcome.err_dropped))
      log << "  stderr: " << line << '\n';
    track.series.failures.push_back({warmup ? 0 : number, (warmup ? "warm-up: " : "") + reason});
    log << std::flush;
    if (outcome.outcome == ProcessResult::Outcome::NotStarted) {
      // It will not start the next time either.
      log << "no further runs: the command cannot be started\n" << std::flush;
      result.cannot_start = true;
      return false;
    }
    return true;
  };

  bool going = true;
  for (int number = 1; going && number <= plan.warmup; ++number)
    for (std::size_t i = 0; going && i < tracks.size(); ++i) going = run_once(tracks[i], i, number, true);

  const int last = plan.precision ? std::max(plan.runs, plan.max_runs) : plan.runs;
  for (int number = 1; going && number <= last; ++number) {
    for (std::size_t i = 0; going && i < tracks.size(); ++i) going = run_once(tracks[i], i, number, false);
    if (!going || !plan.precision || !probe) continue;
    // The widest interval of any series decides.
    double widest = 0;
    bool known = true;
    for (const auto& track : tracks) {
      const auto width = probe(track.series.runs);
      known = known && width.has_value();
      if (width) widest = std::max(widest, *width);
    }
    widest_text = known ? ", widest interval +/-" + percent(widest) : "";
    result.precision = PrecisionOutcome{*plan.precision, false, number, widest};
    if (number >= plan.runs && known && widest <= *plan.precision) {
      result.precision->reached = true;
      break;
    }
  }
  log << std::flush;
  for (auto& track : tracks) {
    if (plan.precision) track.series.runs_requested = result.precision ? result.precision->runs : 0;
    result.series.push_back(std::move(track.series));
  }
  return result;
}

}  // namespace callbench
