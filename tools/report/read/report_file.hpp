#pragma once

#include <string>

#include "core/limits.hpp"
#include "core/report.hpp"

namespace callbench {

// A report file written by --json (any format version this tool reads) of at
// most max_bytes, unanalysed; each series remembers the file. Throws Error,
// naming the file.
Report load_report(const std::string& path, std::size_t max_bytes = kMaxReportFile);

}  // namespace callbench
