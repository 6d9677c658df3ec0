// Text for the HTML report: escaping what comes from the input and writing
// numbers the way the page shows them.
#pragma once

#include <string>
#include <vector>

namespace veldmark {

/// `text` with &, <, >, " and ' replaced by their character references, so
/// that a file name or a label can stand in element text and in attribute
/// values alike. Prints nothing.
std::string escapeHtml(const std::string& text);

/// `value` in fixed notation with `digits` digits after the point ("%.*f");
/// "n/a" when it is not finite. Prints nothing.
std::string fixed(double value, int digits);

/// `value` with four significant digits ("%.4g"); "n/a" when it is not
/// finite. Prints nothing.
std::string significant(double value);

/// `value` rounded to a whole number with a comma between each group of
/// three digits ("625,342", "-1,200"); "n/a" when it is not finite. Prints
/// nothing.
std::string grouped(double value);

/// `count` ending in `one` or `many` by its number ("1 link", "3 links").
std::string counted(long long count, const std::string& one, const std::string& many);

/// One table row: each cell (already HTML, not escaped here) in a <td>, or
/// in a <th> when `header` is set. Prints nothing.
std::string tableRow(const std::vector<std::string>& cells, bool header = false);

}  // namespace veldmark
