#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

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

struct CaptureError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The bytes of a saved output: as they are, or decoded from UTF-16LE when they
// start with its byte-order mark (as some Windows shells write). Throws
// CaptureError when such UTF-16 does not hold plain ASCII.
std::string decode_capture(const std::string& raw);

// Outputs saved one after another into one stream, split after each size report.
std::vector<std::string> split_outputs(const std::string& stream);

}  // namespace callbench
