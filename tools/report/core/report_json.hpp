#pragma once

#include <string>

#include "core/report.hpp"

namespace callbench {

// The version of the JSON files this tool writes. Files without the field are
// version 1; every earlier version still loads.
inline constexpr int kFormatVersion = 4;

// The file --json writes: the whole report, every raw figure and every
// statistic, indented, each run and failed run on a line of its own (so that
// the largest report stays within kMaxReportFile, see core/limits.hpp). Text
// that is not UTF-8 (a command's own arguments may hold any) becomes U+FFFD.
std::string report_json_text(const Report& report);

// A report read back from such a file, any version up to this tool's own;
// each series remembers the file. Every field is checked; the series come
// back unanalysed. A series of more runs than one made here can hold is
// refused. Throws Error ("<file>: <where>: <problem>").
Report parse_report_json(const std::string& text, const std::string& file);

}  // namespace callbench
