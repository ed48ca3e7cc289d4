// Reading the wind beside the track.
#include "methods/TrackWind.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

#include "common/FileSystem.h"
#include "common/RuntimeError.h"
#include "common/TextConversion.h"

namespace {

std::string WholeFile(const std::string& path) {
  std::string text;
  bool found = false;
  try {
    InputFile file;
    found = file.Open(path);
    char buffer[4096];
    for (std::size_t got; found && (got = file.Read(buffer, sizeof buffer)) > 0;) text.append(buffer, got);
  } catch (const RuntimeError& error) {
    Raise(error.Number(), "--track-wind " + error.Detail());
  }
  if (!found) Raise(ErrorNumber::FileNotFound, "--track-wind " + path + " not found");
  return text;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
  return text;
}

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::optional<double> Number(const std::string& text) {
  double value = 0.0;
  if (TryParseNumber(text, value) != NumberParse::Ok || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace

std::vector<TrackWindReading> ReadTrackWindFile(const std::string& path) {
  const std::string text = WholeFile(path);
  std::vector<TrackWindReading> readings;
  std::size_t start = 0;
  long line = 0;
  bool first = true;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string content = text.substr(start, end - start);
    start = end + 1;
    ++line;
    if (!content.empty() && content.back() == '\r') content.pop_back();
    content = Trimmed(content);
    if (content.empty() || content[0] == '#') continue;
    // The header may only be the first line that says anything.
    const bool header = first && Lower(content) == "run,speed,from";
    first = false;
    if (header) continue;
    const auto bad = [&](const std::string& why) {
      std::string detail = "--track-wind " + path;
      detail += " line " + std::to_string(line);
      detail += ": \"" + content;
      detail += "\" " + why;
      Raise(ErrorNumber::TypeMismatch, detail);
    };
    const std::size_t a = content.find(',');
    const std::size_t b = a == std::string::npos ? a : content.find(',', a + 1);
    if (b == std::string::npos || content.find(',', b + 1) != std::string::npos) bad("is not RUN,SPEED,FROM");
    const std::optional<double> run = Number(content.substr(0, a));
    const std::optional<double> speed = Number(content.substr(a + 1, b - a - 1));
    const std::optional<double> from = Number(content.substr(b + 1));
    if (!run || *run < 1.0 || *run > 32767.0 || *run != std::floor(*run)) bad("does not start with a run number");
    if (!speed || *speed < 0.0) bad("has no wind speed of 0 or more");
    if (!from) bad("has no wind direction in degrees");
    const int number = static_cast<int>(*run);
    if (std::any_of(readings.begin(), readings.end(), [&](const TrackWindReading& r) { return r.run == number; }))
      bad("gives DATA." + std::to_string(number) + " a second time");
    readings.push_back({number, *speed, *from});
  }
  return readings;
}

std::vector<TrackWindReading> TrackWindReadings(const TrackWindOption& option, double toMs) {
  std::vector<TrackWindReading> readings;
  if (option.wholeTest) {
    readings.push_back({0, option.speed, option.fromDeg});
  } else {
    readings = ReadTrackWindFile(option.file);
  }
  for (TrackWindReading& reading : readings) reading.speed *= toMs;
  return readings;
}

const TrackWindReading* TrackWindOf(const std::vector<TrackWindReading>& readings, int run) {
  for (const TrackWindReading& reading : readings)
    if (reading.run == run || reading.run == 0) return &reading;
  return nullptr;
}

double HeadOnComponent(const TrackWindReading& reading, int direction) {
  return (direction > 0 ? 1.0 : -1.0) * reading.speed * std::cos(reading.fromDeg * std::numbers::pi / 180.0);
}

double CrossComponent(const TrackWindReading& reading) {
  return reading.speed * std::sin(reading.fromDeg * std::numbers::pi / 180.0);
}
