// Numbers as text without any locale: fixed decimals for run files, the
// report's own number forms for the truth lines, shortest round-trip form for
// echoing parameters.
#pragma once

#include <string>

namespace sim {

// `value` with exactly `decimals` digits after the point; a value that
// rounds to zero is written without a minus sign.
std::string FormatFixed(double value, int decimals);

// As FormatFixed, but a negative value that rounds to zero keeps its minus
// sign, as the report writes it ("-0.00"), so that truth and report lines of
// the same value agree character for character.
std::string FormatReportFixed(double value, int decimals);

// The report's plain number: 15 significant digits without trailing zeros,
// no 0 before the point below 1, a blank in place of the sign when not
// negative, an exponent (E-05, E+15) outside what 15 digits show plainly.
std::string FormatReportNumber(double value);

// The shortest fixed-notation text that reads back as exactly `value`.
std::string FormatShortest(double value);

// `value` to `digits` significant digits, switching to an exponent for
// very small or large magnitudes; for derived values where the last bits of
// a double would only be noise.
std::string FormatSignificant(double value, int digits);

}  // namespace sim
