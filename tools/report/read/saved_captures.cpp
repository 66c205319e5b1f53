#include "read/saved_captures.hpp"

#include <cstdio>
#include <string_view>
#include <variant>

#include "core/error.hpp"
#include "core/limits.hpp"
#include "core/procedures.hpp"
#include "core/text.hpp"
#include "read/output_check.hpp"
#include "system/files.hpp"

namespace callbench {

std::string decode_capture(const std::string& raw) {
  if (raw.size() < 2 || static_cast<unsigned char>(raw[0]) != 0xFF ||
      static_cast<unsigned char>(raw[1]) != 0xFE)
    return raw;
  if (raw.size() % 2 != 0) throw Error("UTF-16 text with an odd number of bytes");
  std::string bytes;
  bytes.reserve(raw.size() / 2);
  for (std::size_t i = 2; i < raw.size(); i += 2) {
    const unsigned unit = static_cast<unsigned char>(raw[i]) | static_cast<unsigned char>(raw[i + 1]) << 8;
    // The benchmark writes plain ASCII; anything else was not written by it.
    if (unit >= 0x80) {
      char code[8];
      std::snprintf(code, sizeof code, "%04X", unit);
      throw Error("UTF-16 text holds a character outside ASCII (U+" + std::string(code) + ") at byte " +
                  std::to_string(i));
    }
    bytes += static_cast<char>(unit);
  }
  return bytes;
}

std::vector<std::string> split_outputs(const std::string& stream) {
  const std::string last_heading(kSizeHeadings.back());
  std::vector<std::string> outputs;
  std::size_t start = 0, at = 0;
  while (at < stream.size()) {
    const auto end = stream.find('\n', at);
    const std::size_t next = end == std::string::npos ? stream.size() : end + 1;
    if (std::string_view(stream).substr(at, last_heading.size()) == last_heading) {
      outputs.push_back(stream.substr(start, next - start));
      start = next;
    }
    at = next;
  }
  if (start < stream.size()) outputs.push_back(stream.substr(start));
  return outputs;
}

Series read_captures(const std::vector<std::string>& sources) {
  std::vector<Capture> captures;
  for (const auto& source : sources) {
    if (source == "-") {
      const auto outputs = split_outputs(read_standard_input());
      for (std::size_t i = 0; i < outputs.size(); ++i)
        captures.push_back({"standard input, output " + std::to_string(i + 1), outputs[i]});
    } else {
      captures.push_back({source, read_regular_file(source, kMaxCaptureFile)});
    }
    if (captures.size() > static_cast<std::size_t>(kMaxRuns))
      throw Error("more than " + std::to_string(kMaxRuns) +
                  " saved outputs; one report holds at most that many runs");
  }

  Series series;
  series.captures = sources;
  OutputChecker check;
  int number = 0;
  for (const auto& capture : captures) {
    ++number;
    std::variant<RunOutput, std::string> checked;
    try {
      checked = check(decode_capture(capture.bytes), number);
    } catch (const Error& e) {
      checked = std::string(e.what());
    }
    if (auto* output = std::get_if<RunOutput>(&checked)) {
      if (!series.sizes) series.sizes = output->sizes;
      series.runs.push_back({number, std::nullopt, std::nullopt, output->figures});
    } else {
      series.failures.push_back(
          {number,
           shortened(printable(capture.source + ": " + std::get<std::string>(checked)), kMaxReasonBytes)});
    }
  }
  series.runs_requested = number;
  return series;
}

}  // namespace callbench
