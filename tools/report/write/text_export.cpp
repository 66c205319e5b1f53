#include <algorithm>
#include <sstream>

#include "core/text.hpp"
#include "write/document.hpp"
#include "write/exporter.hpp"
#include "write/layout.hpp"

namespace callbench {
namespace {

// Every cell and line as printable() leaves it: text read from a report file
// reaches the terminal harmless.
std::vector<std::string> printable_cells(const std::vector<std::string>& row) {
  std::vector<std::string> cells;
  for (const auto& cell : row) cells.push_back(printable(cell));
  return cells;
}

// Word columns (the leading ones and the verdicts) left-aligned, the rest
// right-aligned, two spaces between.
void aligned(std::ostringstream& out, const TextTable& table) {
  const auto header = printable_cells(table.header);
  std::vector<std::vector<std::string>> rows;
  for (const auto& row : table.rows) rows.push_back(printable_cells(row));
  std::vector<std::size_t> widths(header.size(), 0);
  const auto widen = [&](const std::vector<std::string>& row) {
    for (std::size_t i = 0; i < row.size() && i < widths.size(); ++i)
      widths[i] = std::max(widths[i], display_width(row[i]));
  };
  widen(header);
  for (const auto& row : rows) widen(row);
  const auto line = [&](const std::vector<std::string>& row) {
    std::string text;
    for (std::size_t i = 0; i < row.size() && i < widths.size(); ++i) {
      const std::string pad(widths[i] - display_width(row[i]), ' ');
      const std::string gap = i == 0 ? "" : "  ";
      const bool words = i < table.left_aligned || is_verdict_column(table, i);
      text += words ? gap + row[i] + pad : gap + pad + row[i];
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    out << text << '\n';
  };
  line(header);
  for (const auto& row : rows) line(row);
}

}  // namespace

std::string render_text(const Document& document) {
  std::ostringstream out;
  for (const auto& line : document.preamble) out << printable(line) << '\n';
  for (const auto& section : document.sections) {
    out << '\n';
    if (!section.title.empty()) out << printable(section.title) << '\n';
    aligned(out, section.table);
  }
  if (!document.footer.empty()) out << '\n';
  for (const auto& line : document.footer) out << printable(line) << '\n';
  for (const auto& line : document.notes) out << printable(line) << '\n';
  return out.str();
}

std::string export_text(const Report& report) {
  return render_text(layout_report(report));
}

}  // namespace callbench
