#pragma once

#include <string>
#include <vector>

namespace callbench {

// What a report says, before it is rendered as aligned text, Markdown, CSV or HTML,
// so that every form holds the same content.
struct TextTable {
  std::vector<std::string> header;
  std::vector<std::vector<std::string>> rows;  // each as long as the header
  std::size_t left_aligned = 1;  // leading columns of words rather than figures, aligned left in text
};

// The heading of the verdict column: words that may run long ("inconclusive
// (resolves ...)"), so every rendering treats the column as words.
inline constexpr const char* kVerdictHeading = "verdict";

inline bool is_verdict_column(const TextTable& table, std::size_t column) {
  return column < table.header.size() && table.header[column] == kVerdictHeading;
}

struct Section {
  std::string title;  // may be empty
  TextTable table;
};

struct Document {
  std::vector<std::string> preamble;  // lines before the tables
  std::vector<Section> sections;
  std::vector<std::string> footer;  // the conditions and settings, one line each
  std::vector<std::string> notes;   // warnings and advice, one line each
};

// Renderings. In text the leading word columns are left-aligned and the figures right-aligned.
std::string render_text(const Document& document);
std::string render_markdown(const Document& document);
// One CSV table: a "section" column first, then each section's header and rows.
std::string render_csv(const Document& document);

}  // namespace callbench
