// Text for the HTML page: escaping of anything a user typed or a file
// named, and the number texts of tables and axes. None of it depends on the
// locale, and a value that does not exist is always shown as a dash, never
// as "nan" or "inf".
#pragma once

#include <string>
#include <string_view>

namespace html {

// What a table cell or label shows for a value that does not exist.
inline constexpr std::string_view kDash = "\u2014";

// Text safe inside an element and inside a quoted attribute: &, <, >, " and '
// become character references. Bytes that are not valid UTF-8, and control
// characters other than tab and line ends, become U+FFFD, so that a folder
// name in another encoding still gives a well-formed page.
std::string Escape(std::string_view text);
// The same appended to `out`.
void AppendEscaped(std::string& out, std::string_view text);

// `decimals` digits after the point, "-0.00" shown as "0.00"; the dash when
// the value is not finite.
std::string Fixed(double value, int decimals);

// `digits` significant digits in plain decimal form (E notation below 1e-4
// and from 1e9 on); the dash when the value is not finite.
std::string Significant(double value, int digits);

// As Significant, without trailing zeros after the point: "8", "8.1".
std::string Compact(double value, int digits);

// The number of decimals that shows `digits` significant digits of
// `magnitude`, 0 to 12; `fallback` when the magnitude is 0 or not finite.
int DecimalsFor(double magnitude, int digits, int fallback);

// A whole count.
std::string Count(long long value);

}  // namespace html
