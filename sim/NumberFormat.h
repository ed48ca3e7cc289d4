// The number texts the report's own forms (NumberText and FormatFixed of
// the analysis library) do not cover: the shortest exact text for echoing
// parameters, a chosen number of significant digits for derived values, and
// the run files' six decimals.
#pragma once

#include <string>

namespace sim {

// The shortest fixed-notation text that reads back as exactly `value`.
std::string FormatShortest(double value);

// `value` to `digits` significant digits, switching to an exponent for
// very small or large magnitudes; for derived values where the last bits of
// a double would only be noise.
std::string FormatSignificant(double value, int digits);

// `value` with six decimals, rounded as the report rounds, but without a
// minus sign on a value that rounds to zero: in a run file or a remark
// "-0.000000" only looks like a sign error.
std::string FormatSixDecimals(double value);

}  // namespace sim
