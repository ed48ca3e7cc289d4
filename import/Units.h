// The units a logger's columns and the command's quantities come in, named
// as people write them, and their conversion to what the run files and
// coastdown's ten fields hold. The factors back to the fields are the
// analysis' own (4.448 N/lb, 3.3865 kPa/inHg, 0.0929 m²/ft², 0.44704 m/s per
// mph), so that coastdown works with exactly the values the user gave.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace importer {

enum class SpeedUnit { Kmh, Mph, MetresPerSecond, Knots };
enum class TimeUnit { Seconds, Milliseconds, Clock };
enum class AngleUnit { Degrees, Radians };

// A unit as a header or an option writes it ("km/h", "kmh", "[mph]", "m/s",
// "ms", "kn", "°"), in any letter case; nullopt when it is not one.
// "ms" is metres a second for a speed and milliseconds for a time.
std::optional<SpeedUnit> SpeedUnitNamed(std::string_view text);
std::optional<TimeUnit> TimeUnitNamed(std::string_view text);
std::optional<AngleUnit> AngleUnitNamed(std::string_view text);
// Whether the text names any unit of a column, as a units row holds them.
bool IsUnitText(std::string_view text);

const char* UnitName(SpeedUnit unit);  // "km/h"
const char* UnitName(TimeUnit unit);   // "s"
const char* UnitName(AngleUnit unit);  // "deg"

double ToMetresPerSecond(double value, SpeedUnit unit);
double MetresPerSecondToMph(double metresPerSecond);
double MphToKmh(double mph);

// A number followed by its unit, as the command's options take them
// ("1590kg", "29.92inHg", "2.1 m2"); nullopt when the text does not start
// with a number. The unit is returned as written (empty when there is none).
struct Quantity {
  double value;
  std::string unit;
};
std::optional<Quantity> SplitQuantity(std::string_view text);

// Lower case of the ASCII letters; other bytes stay.
std::string LowerAscii(std::string_view text);

}  // namespace importer
