// Saved outputs: splitting a stream of them neither loses nor adds a byte,
// and a capture decoded from UTF-16 encodes back to exactly what was read.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/error.hpp"
#include "read/saved_captures.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace callbench;
  const std::string raw(reinterpret_cast<const char*>(data), size);

  std::string joined;
  for (const auto& output : split_outputs(raw)) {
    if (output.empty()) std::abort();
    joined += output;
  }
  if (joined != raw) std::abort();

  try {
    const std::string decoded = decode_capture(raw);
    const bool wide = size >= 2 && data[0] == 0xFF && data[1] == 0xFE;
    std::string encoded = wide ? "\xff\xfe" : "";
    for (const char c : decoded) encoded += wide ? std::string{c, '\0'} : std::string(1, c);
    if (encoded != raw) std::abort();
  } catch (const Error&) {
  }
  return 0;
}
