#include "report/html_report.h"

#include "output/file_replace.h"
#include "report/html_text.h"
#include "report/report_sections.h"

namespace veldmark {
namespace {

constexpr const char* kStyle = R"(<style>
body{font-family:system-ui,sans-serif;color:#222;max-width:1000px;margin:0 auto;padding:1em 2em;line-height:1.4}
h1{font-size:1.6em;margin-bottom:.2em}h2{border-bottom:1px solid #ccc;padding-bottom:.2em;margin-top:1.6em}
code{font-size:.95em;word-break:break-all}
figure{margin:1em auto;max-width:720px}figcaption{font-size:.9em;color:#555;text-align:center}
.charts{display:flex;flex-wrap:wrap;gap:1em}.charts figure{flex:1 1 420px;max-width:490px}
svg.chart{width:100%;height:auto;display:block;font-size:11px;background:#fff}
svg.heatmap{max-width:700px;margin:0 auto;font-size:9px}
svg .grid{stroke:#e4e4e4}svg .axis{stroke:#333}svg .label{font-size:12px}
svg .guide{stroke:#c33;stroke-dasharray:5 4;stroke-width:1.5}svg .guide-label{fill:#c33}
svg .trace{fill:none;stroke:#4a7ab5;stroke-width:1.5}
svg circle.mark{fill:#4a7ab5;fill-opacity:.7;stroke:#1f3f66;stroke-width:.5}
svg .frame{fill:#fff;stroke:#999}
table.numbers{border-collapse:collapse;font-size:.9em;margin:.5em 0}
table.numbers td,table.numbers th{border:1px solid #ddd;padding:.15em .6em;text-align:right}
table.numbers th{background:#f2f2f2}
.scroll{max-height:24em;overflow:auto;display:inline-block}
.warning,.warnings{color:#8a4b00}
#verdict{background:#f6f8fb;border:1px solid #d5dde8;padding:.2em 1.2em .6em;margin-top:1em}
#verdict h2{border:none;margin-top:.6em}ul.verdict li{margin:.3em 0}p.limit{font-weight:600}
@media print{body{max-width:none;padding:0;font-size:10pt}
.scroll{max-height:none;overflow:visible;display:block}section{break-inside:auto}
figure,table{break-inside:avoid}table.zones{break-inside:auto}tr{break-inside:avoid}
thead,table.zones tr:first-child{break-after:avoid}h2,h3{break-after:avoid}
#verdict{background:none}svg circle.mark{fill-opacity:1}}
</style>)";

}  // namespace

std::string htmlReport(const ReportData& data) {
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
      "<meta name=\"viewport\" content=\"width=device-width,initial-scale=1\">"
      "<title>Veldmark report: " +
      escapeHtml(data.tripsPath) + "</title>" + kStyle +
      "</head><body><h1>Veldmark estimate: " + escapeHtml(data.tripsPath) + "</h1>\n";
  const bool balancing = balancesPrior(data.summary->method);
  html += verdictSection(data) + "\n" + runSection(data) + "\n" +
          (balancing ? balancingSection(data) : convergenceSection(data)) + "\n" +
          fitSection(data) + "\n" + tripEndsSection(data) + "\n" + tableSection(data) + "\n";
  if (data.comparison != nullptr) html += comparisonSection(*data.comparison, data.table) + "\n";
  return html + "</body></html>\n";
}

Status writeHtmlReport(const std::string& path, const ReportData& data) {
  return replaceFileContents(path, htmlReport(data));
}

}  // namespace veldmark
