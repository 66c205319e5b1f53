#include "run/session.hpp"

#include <algorithm>
#include <ostream>

#include "core/limits.hpp"
#include "core/text.hpp"
#include "run/failure_reason.hpp"
#include "run/pair_order.hpp"

namespace callbench {
namespace {

// Each side of a pair goes first in half the pairs, in a random order, so that
// a drift or a carry-over from the run before falls on both alike. The
// commands' indices in the order of round `number`.
std::vector<std::size_t> round_order(PairOrder& draw, int number, std::size_t commands) {
  const bool reversed = commands > 1 && draw.second_first(number);
  std::vector<std::size_t> order;
  for (std::size_t k = 0; k < commands; ++k) order.push_back(reversed ? commands - 1 - k : k);
  return order;
}

class Session {
 public:
  Session(const SessionPlan& plan, ProcessRunner& runner, std::ostream& log, bool show_progress)
      : plan_(plan),
        settings_(plan.settings),
        last_(settings_.precision ? std::max(settings_.runs, settings_.max_runs) : settings_.runs),
        runner_(runner),
        log_(log),
        show_progress_(show_progress),
        series_(plan.commands.size()) {
    for (std::size_t i = 0; i < series_.size(); ++i) series_[i].command = plan.commands[i];
  }
  ~Session() { clear_progress(); }  // should anything throw

  void warm_up() {
    for (int number = 1; going_ && number <= settings_.warmup; ++number)
      for (std::size_t i = 0; going_ && i < series_.size(); ++i) run_once(i, number, true);
  }

  // The counted runs, round by round, until the runs asked for are made or
  // the precision target is met.
  void rounds(const PrecisionOfRuns& precision_of) {
    PairOrder order(plan_.order_seed, settings_.runs);
    const bool checking = settings_.precision && precision_of;
    int checked = 0, finished = 0;
    for (int number = 1; going_ && number <= last_; ++number) {
      const auto start = runner_.now();
      round(number, order);
      if (!going_ || !checking) continue;
      finished = number;
      since_check_ += runner_.now() - start;
      if (!check_due(number)) continue;
      checked = number;
      if (check_precision(number, precision_of)) return;
    }
    // Stopped early: the outcome is told for the runs made.
    if (checking && finished > checked) check_precision(finished, precision_of);
  }

  // The closing lines, and the runs as made.
  SessionResult finish() {
    clear_progress();
    if (runs_leaving_ > 0)
      log_ << runs_leaving_ << (runs_leaving_ == 1 ? " run" : " runs") << " left processes running when "
           << (runs_leaving_ == 1 ? "it" : "they") << " ended (" << processes_left_
           << " in all); they were killed\n";
    log_ << std::flush;
    // With a precision target the runs asked for are those the target took.
    if (!settings_.precision)
      for (auto& s : series_) s.runs_requested = settings_.runs;
    result_.series = std::move(series_);
    return std::move(result_);
  }

 private:
  // The progress is one line, rewritten in place on a terminal.
  void show_progress(const std::string& text) {
    if (!show_progress_) return;
    clear_progress();
    shown_ = text.size();
    log_ << text << std::flush;
  }
  void clear_progress() {
    if (shown_ == 0) return;
    log_ << '\r' << std::string(shown_, ' ') << '\r' << std::flush;
    shown_ = 0;
  }

  // One run of each command, in the order drawn for the round.
  void round(int number, PairOrder& order) {
    for (const std::size_t index : round_order(order, number, series_.size()))
      if (going_) run_once(index, number, false);
  }

  std::string which(std::size_t index) const {
    return series_.size() > 1 ? " (" + std::string(kRunSeriesNames.at(index)) + ")" : "";
  }

  // One run of one command; stops the session when interrupted or when the
  // command cannot be started.
  void run_once(std::size_t index, int number, bool warmup) {
    if ((result_.interrupted_by = runner_.interruption()) != 0) return void(going_ = false);
    std::string status = warmup ? "warm-up run " + std::to_string(number) : "run " + std::to_string(number);
    if (!warmup)
      status += settings_.precision ? " (up to " + std::to_string(settings_.max_runs) + ")"
                                    : " of " + std::to_string(settings_.runs);
    show_progress(status + which(index) + widest_text_);

    const auto outcome = runner_.run(plan_.commands[index], plan_.limits);
    ++sequence_;
    if (outcome.left_running > 0) ++runs_leaving_, processes_left_ += outcome.left_running;
    if (outcome.outcome == ProcessResult::Outcome::Interrupted) {
      result_.interrupted_by = runner_.interruption();
      return void(going_ = false);
    }
    Series& s = series_[index];
    if (!warmup) ++s.runs_requested;
    std::string reason = failure_reason(outcome, plan_.commands[index].front(), plan_.limits);
    if (reason.empty()) {
      auto read = plan_.output_checks[index](outcome.out, number);
      if (auto* output = std::get_if<RunOutput>(&read)) {
        if (!s.sizes) s.sizes = output->sizes;
        if (warmup)
          ++s.warmup_runs;
        else
          s.runs.push_back({number, sequence_, outcome.wall_seconds, output->figures});
        return;
      }
      reason = std::get<std::string>(read);
    }
    fail(index, number, warmup, reason, outcome);
  }

  // Tells the failed run on the log, with the end of its standard error, and keeps it.
  void fail(std::size_t index, int number, bool warmup, const std::string& reason,
            const ProcessResult& outcome) {
    clear_progress();
    log_ << (warmup ? "warm-up run " : "run ") << number << which(index) << ": " << reason << '\n';
    for (const auto& line : error_lines(outcome.err, outcome.err_dropped)) log_ << "  stderr: " << line << '\n';
    series_[index].failures.push_back(
        {warmup ? 0 : number, shortened(printable((warmup ? "warm-up: " : "") + reason), kMaxReasonBytes)});
    log_ << std::flush;
    if (outcome.outcome == ProcessResult::Outcome::NotStarted) {
      // It will not start the next time either.
      log_ << "no further runs: the command cannot be started\n" << std::flush;
      going_ = false;
    }
  }

  // Judging the intervals costs more the more runs there are. It is done after
  // each of the first twenty rounds, the round that makes the runs asked for
  // and the last, and otherwise once the runs since the last time took twenty
  // times as long as it did: every round while runs are slow (as the
  // benchmark's are), and a small share of the time however fast they are.
  bool check_due(int number) const {
    return number <= 20 || number == settings_.runs || number == last_ || since_check_ >= 20 * check_cost_;
  }

  // Judges the intervals of the valid runs so far; true once the target is met.
  bool check_precision(int number, const PrecisionOfRuns& precision_of) {
    const auto start = runner_.now();
    std::vector<std::vector<Run>> runs;
    for (const auto& s : series_) runs.push_back(s.runs);
    const auto status = precision_of(runs);
    check_cost_ = runner_.now() - start;
    since_check_ = {};
    widest_text_ = status ? ", widest interval +/-" + percent_text(status->widest) : "";
    const bool met = number >= settings_.runs && status && status->widest <= *settings_.precision;
    result_.precision = PrecisionOutcome{*settings_.precision, met, number, status ? status->widest : 0,
                                         status ? status->runs_needed : std::nullopt};
    return met;
  }

  const SessionPlan& plan_;
  const RunSettings& settings_;
  const int last_;  // the number of the last round there may be
  ProcessRunner& runner_;
  std::ostream& log_;
  const bool show_progress_;
  std::size_t shown_ = 0;  // the width of the progress line on show
  std::vector<Series> series_;
  SessionResult result_;
  std::string widest_text_;  // shown with the progress
  int sequence_ = 0;
  bool going_ = true;
  int runs_leaving_ = 0, processes_left_ = 0;
  ProcessRunner::Clock::duration since_check_{}, check_cost_{};
};

}  // namespace

SessionResult run_session(const SessionPlan& plan, ProcessRunner& runner, std::ostream& log, bool show_progress,
                          const PrecisionOfRuns& precision_of) {
  Session session(plan, runner, log, show_progress);
  session.warm_up();
  session.rounds(precision_of);
  return session.finish();
}

}  // namespace callbench
