#pragma once

#include <string>

#include "core/report.hpp"

namespace callbench {

// Where a series' runs came from: its command, or how many captured outputs.
std::string source_text(const Series& series);

// What tells a series from a file apart at a glance: its label, else machine
// and date, with its processor's microarchitecture where known: "lab (Zen 4)".
std::string series_label(const Series& series);
// The same without the processor: "lab".
std::string plain_series_label(const Series& series);

// The processor in few words ("Zen 4"), or nothing when its identity is unknown.
std::string processor_tag(const Conditions& conditions);

// "A: " before a series' lines when the report has several, or is of A --vs B
// (where one was left out, the other's name says which it is); else nothing.
std::string series_prefix(const Report& report, const Series& series);

// The machine a series ran on, as a person would name it.
std::string machine_name(const Conditions& conditions);

}  // namespace callbench
