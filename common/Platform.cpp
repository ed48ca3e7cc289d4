// The platform layer: compiled-in string resources, the message box as a
// line on standard error, and the report's date and time.
#include "common/Platform.h"

#include <malloc.h>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include <cstdio>
#include <string>

#include "common/RuntimeError.h"

namespace {

struct ResourceEntry {
  int id;
  const char* text;
};

// The unit factors: area, temperature letter, pressure, weight, speed, force.
constexpr ResourceEntry kStringResources[] = {
    {1111, ".0929"}, {1112, "F"}, {1113, "3.3865"}, {1114, "4.448"}, {1115, ".44704"}, {1116, "4.448"},
};

constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

std::string LoadResourceString(int id) {
  for (const ResourceEntry& entry : kStringResources) {
    if (entry.id == id) return entry.text;
  }
  Raise(ErrorNumber::InvalidProcedureCall, "no string resource " + std::to_string(id));
}

void ShowMessageBox(std::string_view title, std::string_view text) {
  std::string line;
  line.append(title).append(": ").append(text).append("\n");
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
}

std::string FormatReportDate(const std::tm& when) {
  const int month = when.tm_mon >= 0 && when.tm_mon < 12 ? when.tm_mon : 0;
  return std::string(kMonths[month]) + " " + std::to_string(when.tm_mday) + " " +
         std::to_string(when.tm_year + 1900);
}

std::string FormatReportTime(const std::tm& when) {
  int hour = when.tm_hour % 12;
  if (hour == 0) hour = 12;
  char text[32];
  std::snprintf(text, sizeof text, "%d:%02d:%02d %s", hour, when.tm_min, when.tm_sec,
                when.tm_hour < 12 ? "AM" : "PM");
  return text;
}

std::tm CurrentLocalTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return local;
}

void KeepFreedMemoryForReuse() {
#if defined(__GLIBC__)
  mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
  mallopt(M_MMAP_THRESHOLD, 64 * 1024 * 1024);
#endif
}

void UseBinaryStandardStreams() {
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#endif
}
