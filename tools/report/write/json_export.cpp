#include "core/report_json.hpp"
#include "write/exporter.hpp"

namespace callbench {
namespace {

class JsonExporter final : public Exporter {
 public:
  std::string render(const Report& report) const override { return report_json_text(report); }
};

}  // namespace

std::unique_ptr<Exporter> make_json_exporter() {
  return std::make_unique<JsonExporter>();
}

}  // namespace callbench
