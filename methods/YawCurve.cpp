// The yaw curve table: checks, mirroring and interpolation.
#include "methods/YawCurve.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <string>

#include "common/FileSystem.h"
#include "common/RuntimeError.h"
#include "common/TextConversion.h"

namespace {

// The shortest text that reads back to the value, as the user wrote it.
std::string ShortestText(double value) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  return std::string(text, end);
}

std::string YawText(double yawDeg) { return ShortestText(yawDeg) + " deg"; }

std::string WholeFile(const std::string& path) {
  std::string text;
  bool found = false;
  try {
    InputFile file;
    found = file.Open(path);
    char buffer[4096];
    for (std::size_t got; found && (got = file.Read(buffer, sizeof buffer)) > 0;) text.append(buffer, got);
  } catch (const RuntimeError& error) {
    Raise(error.Number(), "--yaw-curve " + error.Detail());
  }
  if (!found) Raise(ErrorNumber::FileNotFound, "--yaw-curve " + path + " not found");
  return text;
}

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool IsHeader(std::string line) {
  std::transform(line.begin(), line.end(), line.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
  return line == "yaw,ratio";
}

}  // namespace

YawCurve YawCurve::FromPoints(std::vector<Point> points) {
  for (const auto& [yaw, ratio] : points) {
    if (!std::isfinite(yaw) || !std::isfinite(ratio) || !(ratio > 0.0)) {
      Raise(ErrorNumber::InvalidProcedureCall, "the yaw curve's ratio at " + YawText(yaw) + " is not a number above 0");
    }
  }
  std::sort(points.begin(), points.end());
  const bool oneSide = points.empty() || points.front().first >= 0.0 || points.back().first <= 0.0;
  if (oneSide) {
    // A symmetric vehicle: the other side is the mirror image, the point at
    // 0 shared by both.
    std::vector<Point> mirrored;
    for (const auto& [yaw, ratio] : points) {
      if (yaw != 0.0) mirrored.emplace_back(-yaw, ratio);
    }
    points.insert(points.end(), mirrored.begin(), mirrored.end());
    std::sort(points.begin(), points.end());
  }
  const auto twice = std::adjacent_find(points.begin(), points.end(),
                                        [](const Point& a, const Point& b) { return a.first == b.first; });
  if (twice != points.end()) {
    Raise(ErrorNumber::InvalidProcedureCall, "the yaw curve gives " + YawText(twice->first) + " twice");
  }
  const auto zero = std::find_if(points.begin(), points.end(), [](const Point& p) { return p.first == 0.0; });
  if (zero == points.end()) Raise(ErrorNumber::InvalidProcedureCall, "the yaw curve has no ratio at 0 deg");
  if (std::fabs(zero->second - 1.0) > 1e-6) {
    Raise(ErrorNumber::InvalidProcedureCall,
          "the yaw curve's ratio at 0 deg is " + ShortestText(zero->second) + ", not 1");
  }
  if (points.size() < 2) Raise(ErrorNumber::InvalidProcedureCall, "the yaw curve has no point besides 0 deg");
  return YawCurve(std::move(points));
}

YawCurve YawCurve::FromFile(const std::string& path) {
  const std::string text = WholeFile(path);
  std::vector<Point> points;
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
    const bool header = first && IsHeader(content);
    first = false;
    if (content.empty() || content[0] == '#' || header) continue;
    const std::size_t comma = content.find(',');
    double yaw = 0.0;
    double ratio = 0.0;
    if (comma == std::string::npos || content.find(',', comma + 1) != std::string::npos ||
        TryParseNumber(Trimmed(content.substr(0, comma)), yaw) != NumberParse::Ok ||
        TryParseNumber(Trimmed(content.substr(comma + 1)), ratio) != NumberParse::Ok) {
      std::string detail = "--yaw-curve " + path;
      detail += " line " + std::to_string(line);
      detail += ": \"" + content;
      detail += "\" is not YAW_DEG,RATIO";
      Raise(ErrorNumber::TypeMismatch, detail);
    }
    points.emplace_back(yaw, ratio);
  }
  try {
    return FromPoints(std::move(points));
  } catch (const RuntimeError& error) {
    Raise(error.Number(), "--yaw-curve " + path + ": " + error.Detail());
  }
}

namespace {

// The table's segment that holds `yawDeg` (the last one at the highest yaw).
std::pair<YawCurve::Point, YawCurve::Point> Segment(const std::vector<YawCurve::Point>& points, double yawDeg) {
  auto above = std::upper_bound(points.begin(), points.end(), yawDeg,
                                [](double yaw, const YawCurve::Point& p) { return yaw < p.first; });
  if (above == points.end()) --above;
  return {*std::prev(above), *above};
}

}  // namespace

// Straight in ψ² between two points, which never lie on either side of 0:
// near the nose drag grows with the square of the yaw, which this follows
// exactly, where a line in ψ overstates it between the points (by a quarter
// of the growth per square degree, at 1° steps).
double YawCurve::Ratio(double yawDeg) const {
  if (!Covers(yawDeg)) return std::nan("");
  const auto [low, high] = Segment(points_, yawDeg);
  const double f = (yawDeg * yawDeg - low.first * low.first) / (high.first * high.first - low.first * low.first);
  return low.second + f * (high.second - low.second);
}

double YawCurve::Slope(double yawDeg) const {
  if (!Covers(yawDeg)) return std::nan("");
  const auto [low, high] = Segment(points_, yawDeg);
  return (high.second - low.second) * 2.0 * yawDeg / (high.first * high.first - low.first * low.first);
}
