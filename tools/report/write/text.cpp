#include <algorithm>
#include <sstream>

#include "write/document.hpp"
#include "write/exporter.hpp"

namespace callbench {
namespace {

// Word columns left-aligned, the figures right-aligned, two spaces between.
void aligned(std::ostringstream& out, const TextTable& table) {
  std::vector<std::size_t> widths(table.header.size(), 0);
  const auto widen = [&](const std::vector<std::string>& row) {
    for (std::size_t i = 0; i < row.size() && i < widths.size(); ++i)
      widths[i] = std::max(widths[i], row[i].size());
  };
  widen(table.header);
  for (const auto& row : table.rows) widen(row);
  const auto line = [&](const std::vector<std::string>& row) {
    std::string text;
    for (std::size_t i = 0; i < row.size() && i < widths.size(); ++i) {
      const std::string pad(widths[i] - row[i].size(), ' ');
      const std::string gap = i == 0 ? "" : "  ";
      text += i < table.left_aligned ? gap + row[i] + pad : gap + pad + row[i];
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    out << text << '\n';
  };
  line(table.header);
  for (const auto& row : table.rows) line(row);
}

}  // namespace

std::string render_text(const Document& document) {
  std::ostringstream out;
  for (const auto& line : document.preamble) out << line << '\n';
  for (const auto& section : document.sections) {
    out << '\n';
    if (!section.title.empty()) out << section.title << '\n';
    aligned(out, section.table);
  }
  if (!document.footer.empty()) out << '\n';
  for (const auto& line : document.footer) out << line << '\n';
  for (const auto& line : document.notes) out << line << '\n';
  return out.str();
}

std::unique_ptr<Exporter> make_text_exporter() { return document_exporter(render_text); }

}  // namespace callbench
