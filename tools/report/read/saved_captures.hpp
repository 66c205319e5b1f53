#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/report.hpp"

namespace callbench {

// One saved output of the benchmark and where it came from.
struct Capture {
  std::string source;  // the file, or "standard input, run N"
  std::string bytes;   // as the benchmark wrote them, once decoded
};

// How to save an output so that it arrives exactly as the benchmark wrote it.
inline constexpr const char* kCaptureAdvice =
    "save the output exactly as the benchmark writes it, e.g. cmd /c \"callbench.exe > run1.txt\" "
    "on Windows or ./callbench > run1.txt elsewhere (PowerShell's > rewrites line ends)";

// A valid output is under 600 bytes, twice that as UTF-16.
inline constexpr std::size_t kMaxCaptureFile = 64 * 1024;

// The bytes of a saved output: as they are, or decoded from UTF-16LE when they
// start with its byte-order mark (as some Windows shells write). Throws
// Error when such UTF-16 does not hold plain ASCII.
std::string decode_capture(const std::string& raw);

// Outputs saved one after another into one stream, split after each size report.
std::vector<std::string> split_outputs(const std::string& stream);

// Saved outputs (files, or "-" for standard input) read and checked as if the
// runs had just been made, numbered in order: a series of the valid ones and
// the failures, with no conditions. Every file is read before any is judged,
// so a bad path stops everything before anything is told. Throws Error for a
// path that cannot be read.
Series read_captures(const std::vector<std::string>& sources);

}  // namespace callbench
