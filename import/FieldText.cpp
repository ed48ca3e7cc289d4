// Field texts to numbers.
#include "FieldText.h"

#include <charconv>
#include <cmath>
#include <string>

namespace importer {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Digits from `at`; returns how many.
std::size_t Digits(std::string_view text, std::size_t at) {
  std::size_t n = 0;
  while (at + n < text.size() && IsDigit(text[at + n])) ++n;
  return n;
}

// The time of day part of a clock text: after the last blank or 'T' when
// the part before is a date.
std::optional<std::string_view> TimeOfDay(std::string_view text) {
  if (!text.empty() && (text.back() == 'Z' || text.back() == 'z')) text.remove_suffix(1);
  const std::size_t split = text.find_last_of(" T");
  if (split == std::string_view::npos) return text;
  const std::string_view date = text.substr(0, split);
  if (date.empty() || date.find_first_not_of("0123456789-./ ") != std::string_view::npos || Digits(date, 0) == 0) {
    return std::nullopt;
  }
  return text.substr(split + 1);
}

}  // namespace

NumberShape ShapeOf(std::string_view text) {
  std::size_t at = 0;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
  const std::size_t whole = Digits(text, at);
  at += whole;
  char mark = '\0';
  std::size_t fraction = 0;
  if (at < text.size() && (text[at] == '.' || text[at] == ',')) {
    mark = text[at++];
    fraction = Digits(text, at);
    at += fraction;
  }
  if (whole + fraction == 0) return NumberShape::NotNumber;
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    ++at;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    const std::size_t exponent = Digits(text, at);
    if (exponent == 0) return NumberShape::NotNumber;
    at += exponent;
  }
  if (at != text.size()) return NumberShape::NotNumber;
  if (mark == '.') return NumberShape::PointDecimal;
  if (mark == ',') return NumberShape::CommaDecimal;
  return NumberShape::Whole;
}

std::optional<double> ParseDecimal(std::string_view text, DecimalMark mark) {
  const NumberShape shape = ShapeOf(text);
  if (shape == NumberShape::NotNumber) return std::nullopt;
  if (shape == (mark == DecimalMark::Point ? NumberShape::CommaDecimal : NumberShape::PointDecimal)) {
    return std::nullopt;
  }
  std::string plain(text);
  for (char& c : plain) {
    if (c == ',') c = '.';
  }
  const char* first = plain.data();
  if (*first == '+') ++first;
  double value = 0.0;
  const auto result = std::from_chars(first, plain.data() + plain.size(), value);
  if (result.ec != std::errc() || result.ptr != plain.data() + plain.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

bool IsClockText(std::string_view text) { return ParseClock(text).has_value(); }

std::optional<double> ParseClock(std::string_view text) {
  const std::optional<std::string_view> time = TimeOfDay(text);
  if (!time) return std::nullopt;
  const std::string_view t = *time;
  // h:mm:ss or mm:ss, each part after the first two digits.
  double parts[3] = {0, 0, 0};
  int count = 0;
  std::size_t at = 0;
  for (;;) {
    const std::size_t n = Digits(t, at);
    if (n == 0 || n > 2 || count == 3) return std::nullopt;
    if (count > 0 && n != 2) return std::nullopt;
    parts[count++] = std::stoi(std::string(t.substr(at, n)));
    at += n;
    if (at < t.size() && t[at] == ':') {
      ++at;
      continue;
    }
    break;
  }
  if (count < 2) return std::nullopt;
  double fraction = 0.0;
  if (at < t.size() && (t[at] == '.' || t[at] == ',')) {
    ++at;
    const std::size_t n = Digits(t, at);
    if (n == 0) return std::nullopt;
    std::string digits = "0." + std::string(t.substr(at, n));
    std::from_chars(digits.data(), digits.data() + digits.size(), fraction);
    at += n;
  }
  if (at != t.size()) return std::nullopt;
  const double hours = count == 3 ? parts[0] : 0.0;
  const double minutes = count == 3 ? parts[1] : parts[0];
  const double seconds = count == 3 ? parts[2] : parts[1];
  if (hours > 23 || minutes > 59 || seconds > 60 || (count == 2 && minutes > 59)) return std::nullopt;
  return hours * 3600.0 + minutes * 60.0 + seconds + fraction;
}

}  // namespace importer
