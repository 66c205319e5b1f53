#include "write/html/chart_scripts.hpp"

extern "C" {
extern const char callbench_vega_js_begin[], callbench_vega_js_end[];
extern const char callbench_vega_lite_js_begin[], callbench_vega_lite_js_end[];
extern const char callbench_vega_embed_js_begin[], callbench_vega_embed_js_end[];
}

namespace callbench {
namespace {

std::string_view without_source_map(const char* begin, const char* end) {
  std::string_view code(begin, static_cast<std::size_t>(end - begin));
  const std::size_t comment = code.rfind("//# sourceMappingURL=");
  if (comment != std::string_view::npos && code.find('\n', comment) >= code.find_last_not_of(" \r\n") + 1)
    code = code.substr(0, comment);
  return code;
}

}  // namespace

std::array<ChartScript, 3> chart_scripts() {
  return {{{"vega", without_source_map(callbench_vega_js_begin, callbench_vega_js_end)},
           {"vega-lite", without_source_map(callbench_vega_lite_js_begin, callbench_vega_lite_js_end)},
           {"vega-embed", without_source_map(callbench_vega_embed_js_begin, callbench_vega_embed_js_end)}}};
}

}  // namespace callbench
