// The process's command line on Windows. (POSIX: ProcessCommandLine.cpp.)
// The words and the argument text both come from the process's own
// wide-character command line: the C runtime's argv is converted to the
// ANSI code page, which loses every character of a folder name it cannot
// represent, and is split and unquoted where the fields need the text.
//
// The whole file is for Windows; elsewhere it compiles to nothing, so that
// tools that look at every source of the folder can take it too.
#ifdef _WIN32

#include <windows.h>

#include <utility>

#include "common/ProcessCommandLine.h"
#include "common/WideText.h"
#include "common/WindowsCommandLine.h"

ProcessCommandLine::ProcessCommandLine(int /*argc*/, char** /*argv*/) {
  WindowsCommandLine line = SplitWindowsCommandLine(Utf8FromWide(::GetCommandLineW()));
  words_ = std::move(line.words);
  text_ = std::move(line.text);
  ends_ = std::move(line.ends);
}

std::string ProcessCommandLine::TextAfter(std::size_t skip) const { return WindowsTextAfter(text_, ends_, skip); }

#endif  // _WIN32
