// The ways the program writes numbers into text: NumberText, the plain
// form used for value items and result texts, and the fixed formats such as
// "0.00" and "0.000000", both from the value rounded to 15 significant
// digits; and the shortest text that reads back to the same double, which
// the record's files use. None depends on the locale.
#pragma once

#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "common/Real.h"

// " .345", "-1.5", " 20", " 0", " 1E-05", " 1.23456789012346E+15": a blank
// (or a minus sign) first, at most 15 significant digits, no trailing zeros,
// no zero before the point below 1, E notation where %.15g would use it.
std::string NumberText(double value);

// Formats with a pattern "0" or "0." followed by zeros: at least one digit
// before the point, exactly as many decimals as the pattern has zeros after
// it, the 15-digit decimal form rounded half away from zero, "-" for negative
// values (also when they round to zero), no blank. Any other pattern is error 5.
std::string FormatFixed(double value, std::string_view pattern);

// Room PutShortest needs at `at`: "-2.2250738585072014e-308" is 24 bytes,
// and the text is put together in blocks that may reach further.
inline constexpr std::size_t kShortestRoom = 40;

// A finite `value` as the shortest decimal text that reads back to the same
// double, byte for byte what std::to_chars(at, at + kShortestRoom, value)
// writes (fixed or scientific form, whichever is shorter); the bytes after
// the text, up to kShortestRoom, may be overwritten. Tens of thousands of
// samples are written this way, so the common magnitudes take a faster road
// to the same text. Returns the end of the text.
char* PutShortest(char* at, double value);

// What std::to_chars(first, last, value, std::chars_format::fixed, decimals)
// writes, byte for byte; the page's tables and tick labels take a faster
// road to it for the common magnitudes. Up to 48 bytes from `first` may be
// overwritten.
std::to_chars_result PutFixed(char* first, char* last, double value, int decimals);

// "00", "01", ... "99": digits written two at a time.
inline constexpr std::array<char, 200> kDigitPairs = [] {
  std::array<char, 200> pairs{};
  for (int i = 0; i < 100; ++i) {
    pairs[2 * static_cast<std::size_t>(i)] = static_cast<char>('0' + i / 10);
    pairs[2 * static_cast<std::size_t>(i) + 1] = static_cast<char>('0' + i % 10);
  }
  return pairs;
}();

// PutWhole's values of four digits and more.
char* PutLongerWhole(char* at, std::uint32_t value);

// The digits of a whole number, as std::to_chars writes them, for the tens
// of thousands of small numbers of a page's plots. Returns their end.
inline char* PutWhole(char* at, std::uint32_t value) {
  if (value < 10) {
    *at = static_cast<char>('0' + value);
    return at + 1;
  }
  if (value < 100) {
    std::memcpy(at, kDigitPairs.data() + 2 * static_cast<std::size_t>(value), 2);
    return at + 2;
  }
  if (value < 1000) {
    *at = static_cast<char>('0' + value / 100);
    std::memcpy(at + 1, kDigitPairs.data() + 2 * static_cast<std::size_t>(value % 100), 2);
    return at + 3;
  }
  return PutLongerWhole(at, value);
}

inline std::string NumberText(Real value) { return NumberText(value.value()); }
inline std::string FormatFixed(Real value, std::string_view pattern) { return FormatFixed(value.value(), pattern); }
