// The truth of a simulated test.
#include "html/Truth.h"

#include <charconv>
#include <cmath>

#include "record/AnalysisRecord.h"

namespace html {

namespace {

bool Finite(double v) { return std::isfinite(v); }

}  // namespace

Truth::Truth(std::string_view text) {
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    const std::size_t mark = line.find_first_of(":=");
    if (mark == std::string_view::npos) continue;
    std::string_view name = line.substr(0, mark);
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    std::string_view rest = line.substr(mark + 1);
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
    // The report writes numbers below 1 without their zero: ".134112".
    std::string number(rest.substr(0, rest.find_first_of(" \t")));
    if (!number.empty() && number.front() == '.') number.insert(0, "0");
    if (number.size() > 1 && number.front() == '-' && number[1] == '.') number.insert(1, "0");
    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec != std::errc() || result.ptr != number.data() + number.size() || name.empty()) continue;
    if (Finite(Value(name))) continue;  // the first of a name counts
    values_.emplace_back(std::string(name), value);
  }
}

bool Truth::HasRoadLoad() const { return Finite(Value("Amech")) && Finite(Value("Bmech")) && Finite(Value("Ctotl")); }

double Truth::Value(std::string_view name) const {
  for (const auto& [n, v] : values_) {
    if (n == name) return v;
  }
  return record::kNone;
}

double Truth::ForceLbf(double speedMph) const {
  return Value("Amech") + Value("Bmech") * speedMph + Value("Ctotl") * speedMph * speedMph;
}

}  // namespace html
