#include <nlohmann/json.hpp>

#include "write/exporter.hpp"
#include "write/html/chart_scripts.hpp"
#include "write/html/charts.hpp"
#include "write/html/html_style.hpp"
#include "write/html/html_text.hpp"
#include "write/layout.hpp"
#include "write/series_labels.hpp"

namespace callbench {
namespace {

// Draws every chart as SVG and records on the root element whether all of
// them were drawn. The AST interpreter needs no eval, which the page's policy forbids.
constexpr const char* kDrawCharts = R"js(
(function () {
  var charts = JSON.parse(document.getElementById('chart-declarations').textContent);
  var options = {renderer: 'svg', mode: 'vega-lite', ast: true,
                 actions: {export: true, source: false, compiled: false, editor: false}};
  var drawn = charts.map(function (chart) {
    var place = document.getElementById(chart.id);
    return vegaEmbed(place, chart.declaration, options).catch(function (error) {
      place.textContent = 'This chart could not be drawn: ' + error.message;
      place.className += ' failed';
      console.error(error);
      throw error;
    });
  });
  Promise.all(drawn).then(
    function () { document.documentElement.setAttribute('data-charts', 'drawn'); },
    function () { document.documentElement.setAttribute('data-charts', 'failed'); });
})();
)js";

void append_lines(std::string& page, const std::vector<std::string>& lines, const char* tag,
                  const char* css_class) {
  if (lines.empty()) return;
  page += std::string("<") + tag + " class=\"" + css_class + "\">\n";
  const bool list = std::string(tag) == "ul";
  for (const std::string& line : lines)
    page += (list ? "<li>" : "<p>") + escape_html(line) + (list ? "</li>\n" : "</p>\n");
  page += std::string("</") + tag + ">\n";
}

void append_table(std::string& page, const Section& section) {
  // The verdict column wraps.
  const auto& header = section.table.header;
  const auto cell = [&section](const char* tag, std::size_t column, const std::string& text) {
    const std::string open = is_verdict_column(section.table, column)
                                 ? std::string("<") + tag + " class=\"verdict\">"
                                 : std::string("<") + tag + ">";
    return open + escape_html(text) + "</" + tag + ">";
  };
  page += "<section class=\"table\">\n";
  if (!section.title.empty()) page += "<h3>" + escape_html(section.title) + "</h3>\n";
  page += "<div class=\"scroll\"><table>\n<thead><tr>";
  for (std::size_t i = 0; i < header.size(); ++i) page += cell("th", i, header[i]);
  page += "</tr></thead>\n<tbody>\n";
  for (const auto& row : section.table.rows) {
    page += "<tr>";
    for (std::size_t i = 0; i < row.size(); ++i) page += cell("td", i, row[i]);
    page += "</tr>\n";
  }
  page += "</tbody>\n</table></div>\n</section>\n";
}

void append_document(std::string& page, const Document& document) {
  append_lines(page, document.preamble, "div", "preamble");
  for (const Section& section : document.sections) append_table(page, section);
  append_lines(page, document.notes, "ul", "notes");
}

void append_chart_places(std::string& page, const std::vector<Chart>& charts) {
  for (const Chart& chart : charts) {
    page += "<section class=\"chart\">\n<h2>" + escape_html(chart.title) + "</h2>\n";
    page += "<p class=\"caption\">" + escape_html(chart.caption) + "</p>\n";
    page += "<div class=\"plot\" id=\"" + escape_html(chart.id) + "\"></div>\n</section>\n";
  }
}

std::string page_title(const Report& report) {
  if (report.kind == Report::Kind::Files)
    return "callbench-report: " + std::to_string(report.series.size()) + " series compared";
  return report.label.empty() ? "callbench-report" : "callbench-report: " + report.label;
}

}  // namespace

// One self-contained page: the document as HTML, the charts as Vega-Lite
// declarations with their data, and the scripts that draw them, all inline,
// so the file opens from disk with no network.
std::string export_html(const Report& report) {
  const Document document = layout_report(report);
  const std::string title = page_title(report);
  const std::vector<Chart> charts = build_charts(report);
  nlohmann::json declarations = nlohmann::json::array();
  for (const Chart& chart : charts)
    declarations.push_back({{"id", chart.id}, {"declaration", chart.declaration}});

  std::string page;
  page += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
  // Nothing may be fetched: the page is read from disk, often with no network at all.
  page +=
      "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
      "script-src 'unsafe-inline'; style-src 'unsafe-inline'; img-src data: blob:\">\n";
  page += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
  page += "<title>" + escape_html(title) + "</title>\n";
  page += std::string("<style>") + kPageStyle + "</style>\n</head>\n<body>\n<main>\n";
  page += "<header><h1>" + escape_html(title) + "</h1></header>\n";
  append_document(page, document);
  append_chart_places(page, charts);
  if (!document.footer.empty()) {
    page += "<section class=\"conditions\">\n<h2>Conditions</h2>\n";
    append_lines(page, document.footer, "ul", "footer");
    page += "</section>\n";
  }
  page += "</main>\n";
  for (const ChartScript& script : chart_scripts())
    page += "<script data-library=\"" + std::string(script.name) + "\">" + std::string(script.code) +
            "\n</script>\n";
  page += "<script type=\"application/json\" id=\"chart-declarations\">" + script_safe_json(declarations) +
          "</script>\n";
  page += std::string("<script>") + kDrawCharts + "</script>\n</body>\n</html>\n";
  return page;
}

}  // namespace callbench
