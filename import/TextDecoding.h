// A logger's file as text: the encodings exports come in (UTF-8 with or
// without a byte-order mark, UTF-16 of either byte order as spreadsheet
// programs write "Unicode text"), and the form in which any text of it is
// shown in a message, hidden characters included.
#pragma once

#include <string>
#include <string_view>

namespace importer {

struct DecodedText {
  std::string text;      // UTF-8 (or the 8-bit text as it was)
  std::string encoding;  // "UTF-8", "UTF-8 with a byte-order mark", "UTF-16 little-endian", ...
};

// The text of a file's bytes. UTF-16 (by its byte-order mark, or by the
// zero bytes of ASCII text in two bytes a character) is converted; a file
// that holds zero bytes otherwise is refused with an ImportError naming
// `fileName`.
DecodedText DecodeText(std::string bytes, const std::string& fileName);

// The text in double quotes as a message shows it, nothing hidden: a
// carriage return as \r, a tab as \t, a line feed as \n, a quote or
// backslash after a backslash, characters that print as nothing or as a
// blank (control characters, the no-break space, a byte-order mark) as
// \uXXXX, bytes that are not UTF-8 as \xNN; other letters (°, ä) as they are.
std::string Quoted(std::string_view text);

}  // namespace importer
