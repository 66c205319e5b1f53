#include "tally.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include <ostream>
#include "random_stream.hpp"

#include "binomial.hpp"

namespace callbench::statcheck {

namespace {

std::string percent(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", 100 * value);
  return text;
}

std::string cell(const Count& count) {
  if (count.trials == 0) return "–";
  const Rate r = binomial_rate(count.hits, count.trials);
  return percent(r.rate) + " [" + percent(r.low) + ", " + percent(r.high) + "]";
}

std::string target_text(const Case& c) {
  if (!c.target) return "";
  return (c.target->at_most ? "≤ " : "≥ ") + percent(c.target->rate);
}

}  // namespace

Tally::Tally(std::vector<Case> cases_, std::vector<std::size_t> runs_, std::size_t reports_)
    : cases(std::move(cases_)),
      runs(std::move(runs_)),
      counts(cases.size(), std::vector<Count>(runs.size())),
      reports(reports_) {}

std::uint64_t report_seed(const Tally& tally, std::size_t c, std::size_t column, std::size_t report,
                          std::uint64_t seed) {
  const Case& setup = tally.cases[setup_of(tally.cases, c)];
  const auto bits = [](double x) {
    std::uint64_t b = 0;
    std::memcpy(&b, &x, sizeof b);
    return b;
  };
  // The disturbed chance enters only where it is not the model's, so that the seeds of the other cases stay.
  const std::uint64_t disturbed =
      setup.disturbed_chance == NoiseLevels{}.disturbed_chance ? 0 : bits(setup.disturbed_chance);
  std::uint64_t k =
      key({seed, static_cast<std::uint64_t>(setup.design), bits(setup.drift), bits(setup.factor_b),
           bits(setup.noise_scale) ^ disturbed, tally.runs[column], report});
  // Knobs added later change the seeds only of the setups that turn them.
  if (setup.position_effect != 0) k = key({k, 1, bits(setup.position_effect)});
  if (setup.shared_noise) k = key({k, 2});
  if (setup.reports != 0) k = key({k, 3, setup.reports});
  return k;
}

void print_markdown(const Tally& tally, const std::string& title, std::ostream& out) {
  out << "### " << title << "\n\n"
      << tally.reports << " reports per cell; rates in % with their exact 95 % interval "
      << "(per-procedure rates pool the procedures of each report)\n\n| What |";
  for (auto k : tally.runs) out << " K = " << k << " |";
  out << " target |\n|---|";
  for (std::size_t i = 0; i < tally.runs.size(); ++i) out << "---|";
  out << "---|\n";
  for (std::size_t c = 0; c < tally.cases.size(); ++c) {
    out << "| " << tally.cases[c].label << " |";
    for (const auto& count : tally.counts[c]) out << ' ' << cell(count) << " |";
    out << ' ' << target_text(tally.cases[c]) << " |\n";
  }
  out << '\n';
}

std::vector<std::string> missed_targets(const Tally& tally) {
  std::vector<std::string> missed;
  for (std::size_t c = 0; c < tally.cases.size(); ++c) {
    const auto& target = tally.cases[c].target;
    if (!target) continue;
    for (std::size_t k = 0; k < tally.runs.size(); ++k) {
      const auto& count = tally.counts[c][k];
      if (count.trials == 0 ||
          std::find(target->runs.begin(), target->runs.end(), tally.runs[k]) == target->runs.end())
        continue;
      const Rate r = binomial_rate(count.hits, count.trials);
      if (target->at_most ? r.low > target->rate : r.high < target->rate)
        missed.push_back(tally.cases[c].label + ", K = " + std::to_string(tally.runs[k]) + ": " + cell(count) +
                         " % against a target of " + target_text(tally.cases[c]) + " %");
    }
  }
  return missed;
}

}  // namespace callbench::statcheck
