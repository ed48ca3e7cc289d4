// The forms in which run files reach the program besides 8-bit text with a
// decimal point, as editors, spreadsheets and loggers in other locales save
// them: UTF-16, a UTF-8 byte-order mark, decimal commas between fields
// separated by blanks or tabs, fields separated by semicolons. Found from
// the start of a file, so that a warning and a check can name them; read as
// written only where the user asks for it, since the analysis reads them
// as 8-bit text with a decimal point.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

enum class TextForm {
  EightBit,      // plain 8-bit text with a decimal point
  Utf8Bom,       // begins with a UTF-8 byte-order mark
  Utf16LE,       // UTF-16, little-endian
  Utf16BE,       // UTF-16, big-endian
  DecimalComma,  // numbers with a decimal comma between fields separated by blanks or tabs
  Semicolon,     // fields separated by semicolons (their numbers with a comma or a point)
};

// How a form is named to the user: "UTF-16 little-endian text", …
const char* TextFormName(TextForm form);

// The form a file shows and where: the line from 1 and its start.
struct TextFormSeen {
  TextForm form = TextForm::EightBit;
  long line = 0;
  std::string sample;
};

// The encoding of a run file from its first bytes: UTF-16 by its
// byte-order mark or by the zero bytes of ASCII text in two bytes a
// character, a UTF-8 byte-order mark, else 8-bit text.
TextFormSeen EncodingOf(std::string_view firstBytes);

// The layout of the lines at the start of a run file's 8-bit text: fields
// separated by semicolons, or numbers with a decimal comma (every comma
// between two digits, no point, three fields separated by blanks or tabs).
TextFormSeen LayoutOf(std::string_view text);

// Reads a run file's bytes in another encoding as the 8-bit text the
// tokenizer reads: UTF-16 to 8-bit text (characters beyond one byte as
// UTF-8), a byte-order mark dropped.
class TextDecoder {
 public:
  explicit TextDecoder(TextForm encoding) : encoding_(encoding) {}
  // Appends what `bytes` decode to; a byte cut from its character waits
  // for the next part.
  void Decode(std::string_view bytes, std::string& out);

 private:
  TextForm encoding_;
  std::string pending_;      // the first byte of a UTF-16 unit, or the start of a byte-order mark
  unsigned highSurrogate_ = 0;
  bool started_ = false;     // the byte-order mark is behind
};

// Makes the text of a file in `layout` one with a decimal point and commas
// between fields, in place: a decimal comma becomes a point, a semicolon a
// comma.
void ToDecimalPoint(TextForm layout, char* text, std::size_t size);
