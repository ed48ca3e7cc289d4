// Numbers as text without any locale: fixed decimals for run files and the
// truth lines, shortest round-trip form for echoing parameters.
#pragma once

#include <string>

namespace sim {

// `value` with exactly `decimals` digits after the point; a value that
// rounds to zero is written without a minus sign.
std::string FormatFixed(double value, int decimals);

// The shortest fixed-notation text that reads back as exactly `value`.
std::string FormatShortest(double value);

// `value` to `digits` significant digits, switching to an exponent for
// very small or large magnitudes; for derived values where the last bits of
// a double would only be noise.
std::string FormatSignificant(double value, int digits);

}  // namespace sim
