#include "run/session.hpp"

#include <algorithm>
#include <chrono>
#include <ostream>

#include "core/limits.hpp"
#include "core/text.hpp"
#include "run/failure_reason.hpp"
#include "run/pair_order.hpp"
#include "system/interruption.hpp"

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

}  // namespace

SessionResult run_session(const SessionPlan& plan, std::ostream& log, bool show_progress,
                          const PrecisionProbe& probe) {
  SessionResult result;
  const std::size_t commands = plan.commands.size();
  std::vector<Series> series(commands);
  for (std::size_t i = 0; i < commands; ++i) series[i].command = plan.commands[i];
  const bool several = commands > 1;
  const auto& settings = plan.settings;
  Progress progress(log, show_progress);
  std::string widest_text;
  int sequence = 0;
  bool going = true;
  int runs_leaving = 0, processes_left = 0;

  // One run of one command; stops the session when interrupted or when the
  // command cannot be started.
  const auto run_once = [&](std::size_t index, int number, bool warmup) {
    if ((result.interrupted_by = interruption_signal()) != 0) return void(going = false);
    const std::string which = several ? " (" + std::string(1, static_cast<char>('A' + index)) + ")" : "";
    std::string status = warmup ? "warm-up run " + std::to_string(number) : "run " + std::to_string(number);
    if (!warmup)
      status += settings.precision ? " (up to " + std::to_string(settings.max_runs) + ")"
                                   : " of " + std::to_string(settings.runs);
    progress.show(status + which + widest_text);

    Series& s = series[index];
    const auto outcome = run_process(plan.commands[index], plan.limits);
    ++sequence;
    if (outcome.left_running > 0) ++runs_leaving, processes_left += outcome.left_running;
    if (outcome.outcome == ProcessResult::Outcome::Interrupted) {
      result.interrupted_by = interruption_signal();
      return void(going = false);
    }
    if (!warmup) ++s.runs_requested;
    std::string reason = failure_reason(outcome, plan.commands[index].front(), plan.limits);
    if (reason.empty()) {
      auto judged = plan.judges[index](outcome.out, number);
      if (auto* output = std::get_if<RunOutput>(&judged)) {
        if (!s.sizes) s.sizes = output->sizes;
        if (warmup)
          ++s.warmup_runs;
        else
          s.runs.push_back({number, sequence, outcome.wall_seconds, output->figures});
        return;
      }
      reason = std::get<std::string>(judged);
    }
    progress.clear();
    log << (warmup ? "warm-up run " : "run ") << number << which << ": " << reason << '\n';
    for (const auto& line : error_lines(outcome.err, outcome.err_dropped)) log << "  stderr: " << line << '\n';
    s.failures.push_back(
        {warmup ? 0 : number, shortened(printable((warmup ? "warm-up: " : "") + reason), kMaxReasonBytes)});
    log << std::flush;
    if (outcome.outcome == ProcessResult::Outcome::NotStarted) {
      // It will not start the next time either.
      log << "no further runs: the command cannot be started\n" << std::flush;
      going = false;
    }
  };

  for (int number = 1; going && number <= settings.warmup; ++number)
    for (std::size_t i = 0; going && i < commands; ++i) run_once(i, number, true);

  // Each side goes first in half the pairs, in a random order, so that a drift
  // or a carry-over from the run before falls on both alike.
  PairOrder order(plan.order_seed, settings.runs);
  const int last = settings.precision ? std::max(settings.runs, settings.max_runs) : settings.runs;
  // Judging the intervals costs more the more runs there are. It is done after
  // each of the first twenty rounds, the round that makes the runs asked for
  // and the last, and otherwise once the runs since the last time took twenty
  // times as long as it did: every round while runs are slow (as the
  // benchmark's are), and a small share of the time however fast they are.
  using Clock = std::chrono::steady_clock;
  Clock::duration since_check{}, check_cost{};
  int checked = 0, finished = 0;
  const auto check = [&](int number) {
    const auto start = Clock::now();
    std::vector<std::vector<Run>> runs;
    for (const auto& s : series) runs.push_back(s.runs);
    const auto status = probe(runs);
    check_cost = Clock::now() - start;
    since_check = {};
    checked = number;
    widest_text = status ? ", widest interval +/-" + percent_text(status->widest) : "";
    result.precision = PrecisionOutcome{*settings.precision, false, number, status ? status->widest : 0,
                                        status ? status->runs_needed : std::nullopt};
    return number >= settings.runs && status && status->widest <= *settings.precision;
  };
  const bool checking = settings.precision && probe;
  for (int number = 1; going && number <= last; ++number) {
    const auto start = Clock::now();
    const bool b_first = several && order.second_first(number);
    for (std::size_t k = 0; going && k < commands; ++k) run_once(b_first ? commands - 1 - k : k, number, false);
    if (!going || !checking) continue;
    finished = number;
    since_check += Clock::now() - start;
    const bool due =
        number <= 20 || number == settings.runs || number == last || since_check >= 20 * check_cost;
    if (!due) continue;
    if (check(number)) {
      result.precision->reached = true;
      break;
    }
  }
  // Stopped early: the outcome is told for the runs made.
  if (checking && finished > checked && check(finished)) result.precision->reached = true;
  progress.clear();
  if (runs_leaving > 0)
    log << runs_leaving << (runs_leaving == 1 ? " run" : " runs") << " left processes running when "
        << (runs_leaving == 1 ? "it" : "they") << " ended (" << processes_left
        << " in all); they were killed\n";
  log << std::flush;
  // With a precision target the runs asked for are those the target took.
  if (!settings.precision)
    for (auto& s : series) s.runs_requested = settings.runs;
  result.series = std::move(series);
  return result;
}

}  // namespace callbench
