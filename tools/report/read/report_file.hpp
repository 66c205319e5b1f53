#pragma once

#include <stdexcept>
#include <string>

#include "core/model.hpp"

namespace callbench {

// What is wrong with a report file, worded as "<file>: <where>: <problem>".
struct ReportFileError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A file written by --json, any format version up to this tool's own (files
// without "format_version" are version 1). Every field is checked; the report
// comes back unanalysed. Throws ReportFileError.
LoadedReport load_report(const std::string& path);
LoadedReport parse_report(const std::string& text, const std::string& file);

}  // namespace callbench
