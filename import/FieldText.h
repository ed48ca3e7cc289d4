// The texts a logger writes into one field: numbers with a decimal point
// or a decimal comma, and clock times (hh:mm:ss.fff, mm:ss.f, with or
// without a date before them). Locale-independent.
#pragma once

#include <optional>
#include <string_view>

namespace importer {

enum class DecimalMark { Point, Comma };

// What a field's text is, as far as the decimal mark goes.
enum class NumberShape {
  NotNumber,
  Whole,         // digits without a mark: the same under either mark
  PointDecimal,  // "12.5"
  CommaDecimal,  // "12,5"
};
// Optional sign, digits with at most one mark (at least one digit in all),
// optional exponent; blanks around it are the caller's to remove.
NumberShape ShapeOf(std::string_view text);

// The value of a number text under the given mark; nullopt when the text
// is not one (a number with the other mark included) or is beyond a double.
std::optional<double> ParseDecimal(std::string_view text, DecimalMark mark);

// Whether the text is a clock time: an optional date of digits, '-', '.'
// and '/' followed by a blank or 'T', then h:mm:ss or mm:ss with an
// optional fraction after '.' or ',', and an optional 'Z'.
bool IsClockText(std::string_view text);
// The clock time in seconds after midnight (or after the hour, for
// mm:ss); nullopt when the text is not one or a field is out of range.
std::optional<double> ParseClock(std::string_view text);

}  // namespace importer
