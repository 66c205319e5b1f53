#include "read/report_file.hpp"

#include "core/report_json.hpp"
#include "system/files.hpp"

namespace callbench {

Report load_report(const std::string& path, std::size_t max_bytes) {
  return parse_report_json(read_regular_file(path, max_bytes), path);
}

}  // namespace callbench
