// Locale-free number texts through std::to_chars and the report's fixed
// format.
#include "NumberFormat.h"

#include <charconv>
#include <string>

#include "common/NumberText.h"

namespace sim {

std::string FormatShortest(double value) {
  // Fixed notation: coastdown's fields and a reader's eye both expect
  // 200000, not 2e+05.
  char text[400];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
  return std::string(text, result.ptr);
}

std::string FormatSignificant(double value, int digits) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits);
  return std::string(text, result.ptr);
}

std::string FormatSixDecimals(double value) {
  std::string text = FormatFixed(value, "0.000000");
  if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
  return text;
}

}  // namespace sim
