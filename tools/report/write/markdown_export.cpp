#include <sstream>

#include "core/text.hpp"
#include "write/document.hpp"
#include "write/exporter.hpp"
#include "write/layout.hpp"

namespace callbench {
namespace {

// Printable as on the terminal (no line of a file can break the table), with
// Markdown's own characters escaped.
std::string markdown_cell(const std::string& text) {
  std::string cell;
  for (const char c : printable(text)) {
    if (c == '|' || c == '\\' || c == '*' || c == '_' || c == '`') cell += '\\';
    cell += c;
  }
  return cell;
}

}  // namespace

std::string render_markdown(const Document& document) {
  std::ostringstream out;
  for (const auto& line : document.preamble) out << markdown_cell(line) << "\n\n";
  for (const auto& section : document.sections) {
    if (!section.title.empty()) out << "### " << markdown_cell(section.title) << "\n\n";
    const auto row = [&](const std::vector<std::string>& cells) {
      out << '|';
      for (const auto& cell : cells) out << ' ' << markdown_cell(cell) << " |";
      out << '\n';
    };
    row(section.table.header);
    out << '|';
    for (std::size_t i = 0; i < section.table.header.size(); ++i) out << (i == 0 ? " --- |" : " ---: |");
    out << '\n';
    for (const auto& cells : section.table.rows) row(cells);
    out << '\n';
  }
  for (const auto& line : document.footer) out << "- " << markdown_cell(line) << '\n';
  if (!document.footer.empty()) out << '\n';
  for (const auto& line : document.notes) out << "> " << markdown_cell(line) << "\n>\n";
  return out.str();
}

std::string export_markdown(const Report& report) {
  return render_markdown(layout_report(report));
}

}  // namespace callbench
