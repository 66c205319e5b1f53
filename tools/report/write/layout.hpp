#pragma once

#include "core/report.hpp"
#include "write/document.hpp"

namespace callbench {

// What an analysed report says, as one document that every output renders:
// what was run, the tables, the conditions and the notes.
Document layout_report(const Report& report);

}  // namespace callbench
