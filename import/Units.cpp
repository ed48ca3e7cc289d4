// Unit names and conversions.
#include "Units.h"

#include <array>
#include <charconv>
#include <cmath>
#include <utility>

namespace importer {

namespace {

constexpr double kMetresPerSecondPerMph = 0.44704;
constexpr double kKmPerMile = 1.609344;

// A unit without the brackets, blanks and the degree sign's encodings
// that headers put around it, in lower case.
std::string Bare(std::string_view text) {
  std::string bare;
  for (char c : LowerAscii(text)) {
    if (c == '[' || c == ']' || c == '(' || c == ')' || c == ' ' || c == '\t' || c == '"' || c == '\'') continue;
    bare.push_back(c);
  }
  return bare;
}

template <class Unit, std::size_t N>
std::optional<Unit> Lookup(std::string_view text, const std::array<std::pair<const char*, Unit>, N>& names) {
  const std::string bare = Bare(text);
  for (const auto& [name, unit] : names) {
    if (bare == name) return unit;
  }
  return std::nullopt;
}

}  // namespace

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

std::optional<SpeedUnit> SpeedUnitNamed(std::string_view text) {
  static constexpr std::array<std::pair<const char*, SpeedUnit>, 12> kNames{{
      {"km/h", SpeedUnit::Kmh},
      {"kmh", SpeedUnit::Kmh},
      {"kph", SpeedUnit::Kmh},
      {"km/hr", SpeedUnit::Kmh},
      {"mph", SpeedUnit::Mph},
      {"mi/h", SpeedUnit::Mph},
      {"m/s", SpeedUnit::MetresPerSecond},
      {"ms", SpeedUnit::MetresPerSecond},
      {"mps", SpeedUnit::MetresPerSecond},
      {"kn", SpeedUnit::Knots},
      {"kt", SpeedUnit::Knots},
      {"knots", SpeedUnit::Knots},
  }};
  return Lookup(text, kNames);
}

std::optional<TimeUnit> TimeUnitNamed(std::string_view text) {
  static constexpr std::array<std::pair<const char*, TimeUnit>, 10> kNames{{
      {"s", TimeUnit::Seconds},
      {"sec", TimeUnit::Seconds},
      {"secs", TimeUnit::Seconds},
      {"seconds", TimeUnit::Seconds},
      {"ms", TimeUnit::Milliseconds},
      {"msec", TimeUnit::Milliseconds},
      {"milliseconds", TimeUnit::Milliseconds},
      {"hh:mm:ss", TimeUnit::Clock},
      {"hh:mm:ss.fff", TimeUnit::Clock},
      {"clock", TimeUnit::Clock},
  }};
  return Lookup(text, kNames);
}

std::optional<AngleUnit> AngleUnitNamed(std::string_view text) {
  // The degree sign in UTF-8 and in Latin-1 (Windows-1252).
  static constexpr std::array<std::pair<const char*, AngleUnit>, 8> kNames{{
      {"deg", AngleUnit::Degrees},
      {"degree", AngleUnit::Degrees},
      {"degrees", AngleUnit::Degrees},
      {"\xC2\xB0", AngleUnit::Degrees},
      {"\xB0", AngleUnit::Degrees},
      {"rad", AngleUnit::Radians},
      {"radian", AngleUnit::Radians},
      {"radians", AngleUnit::Radians},
  }};
  return Lookup(text, kNames);
}

bool IsUnitText(std::string_view text) {
  return SpeedUnitNamed(text) || TimeUnitNamed(text) || AngleUnitNamed(text);
}

const char* UnitName(SpeedUnit unit) {
  switch (unit) {
    case SpeedUnit::Kmh:
      return "km/h";
    case SpeedUnit::Mph:
      return "mph";
    case SpeedUnit::MetresPerSecond:
      return "m/s";
    case SpeedUnit::Knots:
      return "kn";
  }
  return "";
}

const char* UnitName(TimeUnit unit) {
  switch (unit) {
    case TimeUnit::Seconds:
      return "s";
    case TimeUnit::Milliseconds:
      return "ms";
    case TimeUnit::Clock:
      return "hh:mm:ss";
  }
  return "";
}

const char* UnitName(AngleUnit unit) { return unit == AngleUnit::Degrees ? "deg" : "rad"; }

double ToMetresPerSecond(double value, SpeedUnit unit) {
  switch (unit) {
    case SpeedUnit::Kmh:
      return value / 3.6;
    case SpeedUnit::Mph:
      return value * kMetresPerSecondPerMph;
    case SpeedUnit::MetresPerSecond:
      return value;
    case SpeedUnit::Knots:
      return value * 1852.0 / 3600.0;
  }
  return value;
}

double MetresPerSecondToMph(double metresPerSecond) { return metresPerSecond / kMetresPerSecondPerMph; }

double MphToKmh(double mph) { return mph * kKmPerMile; }

std::optional<Quantity> SplitQuantity(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size() && text[start] == ' ') ++start;
  const char* first = text.data() + start;
  const char* last = text.data() + text.size();
  if (first != last && *first == '+') ++first;
  double value = 0.0;
  const auto result = std::from_chars(first, last, value, std::chars_format::fixed);
  if (result.ec != std::errc() || !std::isfinite(value)) return std::nullopt;
  std::string unit(result.ptr, last);
  while (!unit.empty() && unit.front() == ' ') unit.erase(0, 1);
  while (!unit.empty() && unit.back() == ' ') unit.pop_back();
  return Quantity{value, unit};
}

}  // namespace importer
