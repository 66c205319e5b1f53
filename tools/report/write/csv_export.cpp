#include <sstream>

#include "core/text.hpp"
#include "write/document.hpp"
#include "write/exporter.hpp"
#include "write/layout.hpp"

namespace callbench {
namespace {

// Printable as on the terminal, quoted where CSV needs it.
std::string csv_field(const std::string& raw) {
  const std::string text = printable(raw);
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string field = "\"";
  for (const char c : text) {
    if (c == '"') field += '"';
    field += c;
  }
  return field + "\"";
}

void csv_row(std::ostringstream& out, const std::string& first, const std::vector<std::string>& rest) {
  out << csv_field(first);
  for (const auto& cell : rest) out << ',' << csv_field(cell);
  out << "\r\n";
}

}  // namespace

std::string render_csv(const Document& document) {
  std::ostringstream out;
  for (const auto& section : document.sections) {
    const std::string name = section.title.empty() ? "figures" : section.title;
    csv_row(out, "section", section.table.header);
    for (const auto& row : section.table.rows) csv_row(out, name, row);
  }
  csv_row(out, "section", {"line"});
  for (const auto& line : document.preamble) csv_row(out, "summary", {line});
  for (const auto& line : document.footer) csv_row(out, "conditions", {line});
  for (const auto& line : document.notes) csv_row(out, "notes", {line});
  return out.str();
}

std::string export_csv(const Report& report) {
  return render_csv(layout_report(report));
}

}  // namespace callbench
