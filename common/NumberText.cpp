// NumberText and the fixed formats, both built on the 15-significant-digit
// decimal form of the exact binary value that printf("%.14e") gives.
#include "common/NumberText.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/RuntimeError.h"

namespace {

// The value rounded to 15 significant digits: the digits d1..d15 and the
// decimal exponent of d1, so that |value| = d1.d2...d15 x 10^exponent.
struct Decimal15 {
  bool negative = false;
  std::string digits;  // exactly 15 characters
  int exponent = 0;
};

Decimal15 ToDecimal15(double value) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.14e", value);
  Decimal15 d;
  const char* p = buffer;
  if (*p == '-') {
    d.negative = true;
    ++p;
  }
  d.digits.push_back(*p++);
  ++p;  // the decimal point
  while (*p >= '0' && *p <= '9') d.digits.push_back(*p++);
  ++p;  // 'e'
  d.exponent = std::atoi(p);
  return d;
}

}  // namespace

std::string NumberText(double value) {
  if (value == 0.0) return " 0";
  const Decimal15 d = ToDecimal15(value);
  std::string digits = d.digits;
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string text = d.negative ? "-" : " ";
  const int e = d.exponent;
  if (e < -4 || e > 14) {
    text += digits[0];
    if (digits.size() > 1) {
      text.push_back('.');
      text.append(digits, 1, std::string::npos);
    }
    char exponent[16];
    std::snprintf(exponent, sizeof exponent, "E%c%02d", e < 0 ? '-' : '+', e < 0 ? -e : e);
    text += exponent;
  } else if (e >= 0) {
    const auto wholeDigits = static_cast<std::size_t>(e) + 1;
    if (digits.size() <= wholeDigits) {
      text.append(digits).append(wholeDigits - digits.size(), '0');
    } else {
      text.append(digits, 0, wholeDigits).append(1, '.').append(digits, wholeDigits, std::string::npos);
    }
  } else {
    text.append(1, '.').append(static_cast<std::size_t>(-e - 1), '0').append(digits);
  }
  return text;
}

std::string FormatFixed(double value, std::string_view pattern) {
  std::size_t decimals = 0;
  if (pattern == "0") {
    decimals = 0;
  } else if (pattern.size() >= 3 && pattern.substr(0, 2) == "0." &&
             pattern.find_first_not_of('0', 2) == std::string_view::npos) {
    decimals = pattern.size() - 2;
  } else {
    Raise(ErrorNumber::InvalidProcedureCall, "unknown number format \"" + std::string(pattern) + "\"");
  }

  // Scaled by 10^decimals, the kept digits form a whole number N; its digits
  // are built as text, so there is no limit on magnitude or precision.
  std::string whole = "0";
  bool negative = false;
  if (value != 0.0) {
    const Decimal15 d = ToDecimal15(value);
    negative = d.negative;
    // Digit j of d.digits has weight 10^(exponent - j); keep those with
    // weight 10^-decimals or more.
    const long keep = d.exponent + static_cast<long>(decimals) + 1;
    if (keep >= 15) {
      whole = d.digits + std::string(static_cast<std::size_t>(keep - 15), '0');
    } else if (keep >= 0) {
      whole = d.digits.substr(0, static_cast<std::size_t>(keep));
      if (d.digits[static_cast<std::size_t>(keep)] >= '5') {
        // Round half away from zero: add one to the kept digits.
        int i = static_cast<int>(whole.size()) - 1;
        while (i >= 0 && whole[static_cast<std::size_t>(i)] == '9') whole[static_cast<std::size_t>(i--)] = '0';
        if (i >= 0) {
          ++whole[static_cast<std::size_t>(i)];
        } else {
          whole.insert(whole.begin(), '1');
        }
      }
      if (whole.empty()) whole.assign(1, '0');
    }
  }

  if (whole.size() <= decimals) whole.insert(0, decimals + 1 - whole.size(), '0');
  std::string text;
  if (negative) text.push_back('-');
  text.append(whole, 0, whole.size() - decimals);
  if (decimals > 0) text.append(1, '.').append(whole, whole.size() - decimals, std::string::npos);
  return text;
}
