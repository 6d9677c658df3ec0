#include "report/html_text.h"

#include <cmath>
#include <cstdio>

namespace veldmark {

std::string escapeHtml(const std::string& text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      case '\'':
        escaped += "&#39;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::string fixed(double value, int digits) {
  if (!std::isfinite(value)) return "n/a";
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", digits, value);
  return text;
}

std::string significant(double value) {
  if (!std::isfinite(value)) return "n/a";
  char text[64];
  std::snprintf(text, sizeof text, "%.4g", value);
  return text;
}

std::string grouped(double value) {
  if (!std::isfinite(value)) return "n/a";
  char digits[64];
  std::snprintf(digits, sizeof digits, "%.0f", std::fabs(value));
  const std::string whole = digits;
  std::string text;
  for (std::size_t k = 0; k < whole.size(); ++k) {
    if (k > 0 && (whole.size() - k) % 3 == 0) text += ',';
    text += whole[k];
  }
  return (value < 0 && text != "0" ? "-" : "") + text;
}

std::string counted(long long count, const std::string& one, const std::string& many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string tableRow(const std::vector<std::string>& cells, bool header) {
  const std::string open = header ? "<th>" : "<td>";
  const std::string close = header ? "</th>" : "</td>";
  std::string row = "<tr>";
  for (const std::string& cell : cells) row += open + cell + close;
  return row + "</tr>";
}

}  // namespace veldmark
