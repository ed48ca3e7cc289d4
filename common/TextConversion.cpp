// Text to number and text to Boolean.
#include "common/TextConversion.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>
#include <system_error>

#include "common/RuntimeError.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Checks the syntax of a trimmed number text. On success, tells whether the
// value is at least one in magnitude (used to tell overflow from underflow
// when the conversion reports a value out of range).
bool CheckSyntax(std::string_view t, bool& largeMagnitude) {
  std::size_t i = 0;
  const std::size_t n = t.size();
  if (i < n && (t[i] == '+' || t[i] == '-')) ++i;
  long digitsBeforePoint = 0;  // significant digits, leading zeros skipped
  long leadingZerosAfterPoint = 0;
  bool seenSignificant = false;
  std::size_t digits = 0;
  while (i < n && IsDigit(t[i])) {
    if (t[i] != '0' || seenSignificant) {
      seenSignificant = true;
      ++digitsBeforePoint;
    }
    ++digits;
    ++i;
  }
  if (i < n && t[i] == '.') {
    ++i;
    while (i < n && IsDigit(t[i])) {
      if (!seenSignificant) {
        if (t[i] == '0') {
          ++leadingZerosAfterPoint;
        } else {
          seenSignificant = true;
        }
      }
      ++digits;
      ++i;
    }
  }
  if (digits == 0) return false;
  long exponent = 0;
  if (i < n && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    bool negative = false;
    if (i < n && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
    if (i >= n || !IsDigit(t[i])) return false;
    while (i < n && IsDigit(t[i])) {
      if (exponent < 100000000) exponent = exponent * 10 + (t[i] - '0');
      ++i;
    }
    if (negative) exponent = -exponent;
  }
  if (i != n) return false;
  // Decimal exponent of the first significant digit, roughly.
  const long magnitude = digitsBeforePoint > 0 ? digitsBeforePoint - 1 + exponent : -leadingZerosAfterPoint - 1 + exponent;
  largeMagnitude = seenSignificant && magnitude >= 0;
  return true;
}

bool StartsLikePlainNumber(std::string_view t) {
  std::size_t i = 0;
  if (i < t.size() && t[i] == '-') ++i;
  return i < t.size() && (IsDigit(t[i]) || t[i] == '.');
}

// The value of a trimmed text of the form [-]digits[.digits] whose digits,
// read as one integer, are at most 2^53, with at most 22 after the point:
// the form of nearly every record of a run file. That integer and the power
// of ten are exact in a double, so their one quotient, rounded to nearest,
// is the value rounded to nearest: the same double as from_chars gives, at
// a fraction of its cost. False for any other text.
bool ParseShortDecimal(std::string_view t, double& value) {
  static constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                            1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  constexpr std::uint64_t kExact = std::uint64_t{1} << 53;
  const char* p = t.data();
  const char* const end = p + t.size();
  const bool negative = p < end && *p == '-';
  if (negative) ++p;
  std::uint64_t digits = 0;
  const char* const first = p;
  for (; p < end && IsDigit(*p); ++p) digits = digits * 10 + static_cast<std::uint64_t>(*p - '0');
  std::ptrdiff_t count = p - first;
  std::ptrdiff_t afterPoint = 0;
  if (p < end && *p == '.') {
    const char* const fraction = ++p;
    for (; p < end && IsDigit(*p); ++p) digits = digits * 10 + static_cast<std::uint64_t>(*p - '0');
    afterPoint = p - fraction;
    count += afterPoint;
  }
  // 19 digits cannot overflow the integer.
  if (p != end || count == 0 || count > 19 || digits > kExact || afterPoint > 22) return false;
  const double magnitude = static_cast<double>(digits) / kPowersOfTen[afterPoint];
  value = negative ? -magnitude : magnitude;
  return true;
}

std::string Quoted(std::string_view text, std::string_view what) {
  std::string detail;
  if (!what.empty()) detail = std::string(what) + " ";
  detail += "\"" + std::string(text) + "\"";
  return detail;
}

}  // namespace

bool IsNumberText(std::string_view text) {
  bool large = false;
  return CheckSyntax(TrimBlanks(text), large);
}

NumberParse TryParseNumber(std::string_view text, double& value) {
  const std::string_view t = TrimBlanks(text);
  if (ParseShortDecimal(t, value)) return NumberParse::Ok;
  // Nearly every other text is a plain decimal number that from_chars takes whole.
  // For a text that starts with a digit or a point, or a minus sign and one
  // of them, from_chars accepts exactly the number syntax, so its value can
  // be used at once; anything else (a plus sign, an error, text left over)
  // goes the careful way below.
  if (StartsLikePlainNumber(t)) {
    double parsed = 0.0;
    const auto result = std::from_chars(t.data(), t.data() + t.size(), parsed, std::chars_format::general);
    if (result.ec == std::errc() && result.ptr == t.data() + t.size()) {
      value = parsed;
      return NumberParse::Ok;
    }
  }
  bool large = false;
  if (!CheckSyntax(t, large)) return NumberParse::NotANumber;
  const char* first = t.data();
  const char* last = t.data() + t.size();
  const bool negative = *first == '-';
  if (*first == '+' || *first == '-') ++first;  // from_chars takes no plus sign; the sign is applied below
  double parsed = 0.0;
  const auto result = std::from_chars(first, last, parsed, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    if (large) return NumberParse::TooLarge;
    parsed = 0.0;  // too small to be represented
  } else if (result.ec != std::errc() || result.ptr != last) {
    return NumberParse::NotANumber;
  }
  value = negative ? -parsed : parsed;
  return NumberParse::Ok;
}

std::optional<Real> ParseNumber(std::string_view text) {
  double value = 0.0;
  switch (TryParseNumber(text, value)) {
    case NumberParse::Ok:
      return Real(value);
    case NumberParse::TooLarge:
      Raise(ErrorNumber::Overflow, "the number " + std::string(TrimBlanks(text)) + " is too large for a double");
    case NumberParse::NotANumber:
      break;
  }
  return std::nullopt;
}

Real TextToNumber(std::string_view text, std::string_view what) {
  if (auto value = ParseNumber(text)) return *value;
  Raise(ErrorNumber::TypeMismatch, Quoted(text, what) + " is not a number");
}

bool TextToBoolean(std::string_view text, std::string_view what) {
  const std::string_view t = TrimBlanks(text);
  auto equalsIgnoringCase = [&](std::string_view word) {
    if (t.size() != word.size()) return false;
    for (std::size_t i = 0; i < t.size(); ++i) {
      char c = t[i];
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      if (c != word[i]) return false;
    }
    return true;
  };
  if (equalsIgnoringCase("true")) return true;
  if (equalsIgnoringCase("false")) return false;
  if (auto value = ParseNumber(t)) return *value != 0.0;
  Raise(ErrorNumber::TypeMismatch, Quoted(text, what) + " is not True, False or a number");
}
