// Locale-free number texts through std::to_chars.
#include "NumberFormat.h"

#include <charconv>
#include <string>

namespace sim {

std::string FormatFixed(double value, int decimals) {
  // Round the 15-significant-digit decimal form of the value half away from
  // zero, as the coastdown report does, so that a truth line and a report
  // line of the same value agree digit for digit (30 × 1.1215 is
  // 33.644999… in binary but 33.645 to 15 digits, and the report shows 33.65).
  if (value == 0.0) return decimals > 0 ? "0." + std::string(static_cast<std::size_t>(decimals), '0') : "0";
  char text[64];
  const double magnitude = value < 0.0 ? -value : value;
  const auto result = std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, 14);
  const std::string sci(text, result.ptr);  // d.dddddddddddddde±XX
  std::string digits = sci.substr(0, 1) + sci.substr(2, 14);
  int point = std::stoi(sci.substr(sci.find('e') + 1)) + 1;  // digits before the decimal point
  if (point <= 0) {
    digits.insert(0, static_cast<std::size_t>(1 - point), '0');
    point = 1;
  }
  const std::size_t keep = static_cast<std::size_t>(point) + static_cast<std::size_t>(decimals);
  if (digits.size() < keep + 1) digits.append(keep + 1 - digits.size(), '0');
  const bool roundUp = digits[keep] >= '5';
  digits.resize(keep);
  if (roundUp) {
    std::size_t i = keep;
    while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
    if (i == 0) {
      digits.insert(0, 1, '1');
      ++point;
    } else {
      ++digits[i - 1];
    }
  }
  // Zeros the padding put before the first digit of an integer part.
  while (point > 1 && digits.front() == '0') {
    digits.erase(0, 1);
    --point;
  }
  std::string out = digits.substr(0, static_cast<std::size_t>(point));
  if (decimals > 0) out += "." + digits.substr(static_cast<std::size_t>(point));
  // A value that rounds to zero is written without a sign: "-0.000" looks
  // like a sign error to a person scanning the file.
  if (value < 0.0 && out.find_first_not_of("0.") != std::string::npos) out.insert(0, 1, '-');
  return out;
}

std::string FormatReportFixed(double value, int decimals) {
  const std::string text = FormatFixed(value, decimals);
  return value < 0.0 && text.front() != '-' ? "-" + text : text;
}

std::string FormatReportNumber(double value) {
  if (value == 0.0) return " 0";  // negative zero too
  std::string text = FormatSignificant(value, 15);
  const std::size_t e = text.find('e');
  if (e != std::string::npos) text[e] = 'E';
  const bool negative = text.front() == '-';
  const std::size_t digits = negative ? 1 : 0;
  if (text.compare(digits, 2, "0.") == 0) text.erase(digits, 1);
  return negative ? text : " " + text;
}

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

}  // namespace sim
