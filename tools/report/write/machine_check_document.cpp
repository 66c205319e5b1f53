#include "write/machine_check_document.hpp"

namespace callbench {

Document machine_checks_document(const std::vector<MachineCheck>& checks, std::optional<int> pinned_cpu) {
  Document document;
  document.preamble.push_back("is this machine fit to measure? (read only; nothing is changed)");
  document.preamble.push_back(pinned_cpu ? "runs pinned to processor " + std::to_string(*pinned_cpu)
                                         : "runs not pinned (--cpu N to check one processor)");
  TextTable table;
  table.header = {"check", "status", "value"};
  table.left_aligned = 3;
  for (const auto& check : checks) table.rows.push_back({check.title, status_name(check.status), check.value});
  document.sections.push_back({"", std::move(table)});
  for (const auto& check : checks)
    if (!check.advice.empty()) document.footer.push_back(check.title + ": " + check.advice);
  document.notes.push_back(machine_is_fit(checks) ? "fit to measure: yes"
                                                  : "fit to measure: no (see the checks marked \"not fit\")");
  return document;
}

}  // namespace callbench
