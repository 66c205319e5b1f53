#include <algorithm>
#include <sstream>

#include "write/document.hpp"

namespace callbench {
namespace {

// First column left-aligned, the rest right-aligned, two spaces between.
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
      text += i == 0 ? row[i] + pad : "  " + pad + row[i];
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    out << text << '\n';
  };
  line(table.header);
  for (const auto& row : table.rows) line(row);
}

std::string markdown_cell(const std::string& text) {
  std::string cell;
  for (const char c : text) {
    if (c == '|' || c == '\\' || c == '*' || c == '_' || c == '`') cell += '\\';
    cell += c;
  }
  return cell;
}

std::string csv_field(const std::string& text) {
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

}  // namespace callbench
