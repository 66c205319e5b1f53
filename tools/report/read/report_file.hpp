#pragma once

#include <string>

#include "core/report.hpp"

namespace callbench {

// A report file written by --json (any format version this tool reads),
// unanalysed; each series remembers the file. Throws Error, naming the file.
Report load_report(const std::string& path);

}  // namespace callbench
