// Fuzzes the number texts: NumberText of any finite double reads back as the
// value rounded to 15 significant digits, and every fixed format yields a
// text of the promised shape.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/NumberText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < sizeof(double)) return 0;
  double value = 0;
  std::memcpy(&value, data, sizeof value);
  if (!std::isfinite(value)) return 0;

  const std::string text = NumberText(value);
  char rounded[40];
  std::snprintf(rounded, sizeof rounded, "%.14e", value);
  if (std::strtod(text.c_str(), nullptr) != std::strtod(rounded, nullptr)) std::abort();
  if (text[0] != ' ' && text[0] != '-') std::abort();

  const std::size_t decimals = size > sizeof(double) ? data[sizeof(double)] % 8 : 2;
  const std::string pattern = decimals == 0 ? "0" : "0." + std::string(decimals, '0');
  const std::string fixed = FormatFixed(value, pattern);
  const std::size_t point = fixed.find('.');
  if (decimals == 0 ? point != std::string::npos : fixed.size() - point - 1 != decimals) std::abort();
  if (std::abs(value) < 1e15 && std::abs(std::strtod(fixed.c_str(), nullptr) - value) > 0.5 * std::pow(10.0, -double(decimals)) * 1.000001 + std::abs(value) * 1e-14) {
    std::abort();
  }
  return 0;
}
