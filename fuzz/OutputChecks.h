// What a user's tools demand of the outputs, checked strictly: the record
// is one JSON value in valid UTF-8 with no NaN or infinity, and the page is
// well-formed XML of allowed characters, whatever bytes the run files and
// the folder's name held.
#pragma once

#include <string_view>

namespace fuzzchecks {

// One JSON value (RFC 8259) and nothing after it but blanks; strings of
// valid UTF-8 (no surrogates, no overlong forms) with control characters
// escaped; numbers in JSON's own grammar.
bool StrictJson(std::string_view text);

// A well-formed XML document (after an optional <!DOCTYPE …>): one root
// element, every tag closed in order, attributes quoted, only the five
// named entities and character references, every character an XML Char
// in valid UTF-8 (so no U+FFFE, no U+FFFF, no control but tab, CR, LF).
bool WellFormedXml(std::string_view text);

}  // namespace fuzzchecks
