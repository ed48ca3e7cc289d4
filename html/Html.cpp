// Escaping and number texts of the HTML page.
#include "html/Html.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "common/NumberText.h"
#include "common/Utf8.h"

namespace html {

namespace {

constexpr std::string_view kReplacement = "\uFFFD";

std::string FixedDigits(double value, int decimals) {
  char buffer[400];
  const auto result = PutFixed(buffer, buffer + sizeof buffer, value, decimals);
  if (result.ec != std::errc()) return std::string(kDash);
  std::string text(buffer, result.ptr);
  // A negative value that rounds to zero shows no sign.
  if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
  return text;
}

// Printable ASCII that needs no reference: it is copied in runs.
bool Plain(char c) {
  return c >= 0x20 && c < 0x7F && c != '&' && c != '<' && c != '>' && c != '"' && c != '\'';
}

}  // namespace

std::string Escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendEscaped(out, text);
  return out;
}

void AppendEscaped(std::string& out, std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    std::size_t plain = i;
    while (plain < text.size() && Plain(text[plain])) ++plain;
    if (plain > i) {
      out.append(text.data() + i, plain - i);
      i = plain;
      if (i == text.size()) break;
    }
    const char c = text[i];
    const auto u = static_cast<unsigned char>(c);
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default:
        if ((u < 0x20 && c != '\t' && c != '\n' && c != '\r') || u == 0x7F) {
          out += kReplacement;
        } else if (u >= 0x80) {
          const auto [code, length] = Utf8At(text, i);
          if (length == 0) {
            out += kReplacement;
            ++i;
          } else if (code == 0xFFFE || code == 0xFFFF) {
            // Well-formed UTF-8, but no character an XML document may hold.
            out += kReplacement;
            i += length;
          } else {
            out.append(text.substr(i, length));
            i += length;
          }
          continue;
        } else {
          out.push_back(c);
        }
    }
    ++i;
  }
}

std::string Fixed(double value, int decimals) {
  if (!std::isfinite(value)) return std::string(kDash);
  return FixedDigits(value, decimals < 0 ? 0 : decimals);
}

int DecimalsFor(double magnitude, int digits, int fallback) {
  const double m = std::fabs(magnitude);
  if (!std::isfinite(m) || m == 0.0) return fallback;
  const int exponent = static_cast<int>(std::floor(std::log10(m)));
  const int decimals = digits - 1 - exponent;
  return decimals < 0 ? 0 : (decimals > 12 ? 12 : decimals);
}

std::string Significant(double value, int digits) {
  if (!std::isfinite(value)) return std::string(kDash);
  if (value == 0.0) return "0";
  const double m = std::fabs(value);
  if (m < 1e-4 || m >= 1e9) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, digits - 1);
    return std::string(buffer, result.ptr);
  }
  return FixedDigits(value, DecimalsFor(value, digits, 0));
}

std::string Compact(double value, int digits) {
  std::string text = Significant(value, digits);
  const std::size_t exponent = text.find('e');
  if (text.find('.') == std::string::npos || !std::isfinite(value)) return text;
  std::string mantissa = text.substr(0, exponent);
  while (mantissa.back() == '0') mantissa.pop_back();
  if (mantissa.back() == '.') mantissa.pop_back();
  return exponent == std::string::npos ? mantissa : mantissa + text.substr(exponent);
}

std::string Count(long long value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

}  // namespace html
