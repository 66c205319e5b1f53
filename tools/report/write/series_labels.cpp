#include "write/series_labels.hpp"

#include "core/command_line.hpp"
#include "core/processor_identity.hpp"

namespace callbench {

std::string source_text(const Series& series) {
  if (!series.command.empty()) return command_text(series.command);
  const std::size_t outputs =
      series.runs_requested > 0 ? static_cast<std::size_t>(series.runs_requested) : series.captures.size();
  return std::to_string(outputs) + " captured output" + (outputs == 1 ? "" : "s");
}

std::string machine_name(const Conditions& conditions) {
  if (conditions.machine_label) return *conditions.machine_label;
  return conditions.host.value_or("an unnamed host");
}

std::string plain_series_label(const Series& series) {
  if (!series.label.empty()) return series.label;
  const auto& c = series.conditions;
  std::string label = c.machine_label ? *c.machine_label : c.host.value_or("");
  if (!c.date_utc.empty()) label += (label.empty() ? "" : " ") + c.date_utc.substr(0, 10);
  return label.empty() ? series.file.value_or(series.name) : label;
}

std::string processor_tag(const Conditions& conditions) {
  const auto& processor = conditions.processor;
  return processor && processor->identity ? identity_tag(*processor->identity) : "";
}

std::string series_label(const Series& series) {
  const std::string tag = processor_tag(series.conditions);
  return plain_series_label(series) + (tag.empty() ? "" : " (" + tag + ")");
}

std::string series_prefix(const Report& report, const Series& series) {
  const bool named = report.series.size() > 1 || report.kind == Report::Kind::Interleaved;
  return named ? series.name + ": " : "";
}

}  // namespace callbench
