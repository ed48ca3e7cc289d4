// The thin layer over what the platform provides: the program's string
// resources, the message box and the current date and time in the report's
// form. Nothing else in the program touches these facilities directly.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

// The text of string resource `id`; an id the program does not have is error 5.
std::string LoadResourceString(int id);

// A message box with one OK button: one line "title: text" on standard
// error. There is no desktop, so nothing waits for the user.
void ShowMessageBox(std::string_view title, std::string_view text);

// "Dec 5 2026": English three-letter month, day without leading zero, year.
std::string FormatReportDate(const std::tm& when);
// "3:49:19 PM": hour without leading zero, minutes and seconds, AM or PM.
std::string FormatReportTime(const std::tm& when);
// The current local date and time.
std::tm CurrentLocalTime();

// Keeps freed memory in the process for the next run file instead of
// handing it back to the system after every file, which would make each
// file pay again for touching fresh pages.
void KeepFreedMemoryForReuse();

// Standard output and error carry bytes as written: on Windows they would
// otherwise turn every line feed into CR LF, and a CSV or JSON sent to
// standard output would differ from the same written to a file.
void UseBinaryStandardStreams();
