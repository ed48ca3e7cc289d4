// Text as a message shows it, nothing hidden: a user who reads
// `CD "0.32\r" is not a number` sees the carriage return that a file with
// CR LF line ends left in the field.
#pragma once

#include <string>
#include <string_view>

// A carriage return as \r, a line feed as \n, a tab as \t, other control
// characters and bytes that are not UTF-8 as \xNN, characters that print as
// nothing or as a blank (a byte-order mark, a no-break space, a zero-width
// space, the noncharacters U+FFFE and U+FFFF) as \uXXXX; every other
// character as it is, backslashes included, so that a path reads as typed.
std::string VisibleText(std::string_view text);
