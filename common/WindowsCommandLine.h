// How a Windows command line falls into the program's name, its words and
// the argument text. Windows hands a program one text, not words: the C
// runtime splits it by its own rules, while the ten fields are cut from the
// text itself. Both are taken from the same text here, with no call into
// the system, so that the rules are tested on every platform.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct WindowsCommandLine {
  // Everything after the program's name as it was typed, without the blanks
  // and tabs at either end.
  std::string text;
  // The words of `text` as the C runtime splits them, quotes and escaping
  // backslashes removed.
  std::vector<std::string> words;
  // Where each word ends in `text`.
  std::vector<std::size_t> ends;
};

// Splits a whole command line, the program's name first. The rules are the
// C runtime's: the name runs to the first blank or tab outside double quotes,
// with quotes removed and backslashes kept. A word runs to the next blank or
// tab outside quotes; quotes are removed; backslashes are kept except before
// a double quote, where 2n of them give n and the quote opens or closes a
// quoted part, and 2n+1 give n and a literal quote; inside a quoted part, ""
// is a literal quote. Every rule looks only at ASCII characters, so the text
// may be UTF-8 throughout.
WindowsCommandLine SplitWindowsCommandLine(std::string_view commandLine);

// The argument text after the first `skip` words, from the next word on.
std::string WindowsTextAfter(std::string_view text, const std::vector<std::size_t>& ends, std::size_t skip);
