// Text to number and text to Boolean, as the run parameters and the unit
// factors are converted. Locale-independent: the point is the decimal mark.
#pragma once

#include <optional>
#include <string_view>

#include "common/Real.h"

// The syntax of a number text: optional blanks and tabs, an optional sign,
// digits with an optional decimal point (at least one digit in all), an
// optional exponent (e or E, optional sign, digits), optional blanks and tabs.
bool IsNumberText(std::string_view text);

enum class NumberParse { Ok, NotANumber, TooLarge };
// The value of a number text without raising: TooLarge when it is beyond a
// double, NotANumber when its syntax is not that of a number.
NumberParse TryParseNumber(std::string_view text, double& value);

// The value of a number text; nullopt when the text is not a number. A value
// too large for a double is error 6; one too small to be represented is 0.
std::optional<Real> ParseNumber(std::string_view text);

// The value of a number text; anything else is error 13. `what` names the
// text in the error's detail (for example "Barometer").
Real TextToNumber(std::string_view text, std::string_view what = {});

// True and False in any letter case, or a number (0 is False, any other
// value True); anything else is error 13.
bool TextToBoolean(std::string_view text, std::string_view what = {});
