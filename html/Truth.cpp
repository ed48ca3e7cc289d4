// Road-load curves and the truth of a simulated test.
#include "html/RoadLoad.h"

#include <charconv>
#include <cmath>

namespace html {

namespace {

constexpr std::array<const char*, 4> kTerms = {"m0", "m1", "m2", "a0"};

bool Finite(double v) { return std::isfinite(v); }

}  // namespace

StillAirRoadLoad::StillAirRoadLoad(const record::AnalysisRecord& record) {
  const record::FitRecord& fit = record.finalFit;
  if (!fit.completed || !Finite(record.mechFactor) || !Finite(record.aeroFactor)) return;
  mechFactor_ = record.mechFactor;
  aeroFactor_ = record.aeroFactor;
  for (std::size_t k = 0; k < 4; ++k) value_[k] = fit.coefficients[k];
  for (const double v : value_) {
    if (!Finite(v)) return;
  }
  available_ = true;

  const record::UncertaintyRecord& u = record.uncertainty;
  if (!u.available || !Finite(u.t95)) return;
  // Where each of m0, m1, m2, a0 stands among the fitted coefficients, and
  // its standard error; a term missing from them was held fixed.
  std::array<long, 4> index{-1, -1, -1, -1};
  std::array<double, 4> se{};
  for (std::size_t k = 0; k < 4; ++k) {
    for (std::size_t i = 0; i < u.coefficients.size(); ++i) {
      if (u.coefficients[i].name == kTerms[k]) index[k] = static_cast<long>(i);
    }
    if (index[k] < 0) continue;
    se[k] = u.coefficients[static_cast<std::size_t>(index[k])].standardError;
    if (!Finite(se[k])) {
      index[k] = -1;  // held fixed: no error of its own
      se[k] = 0.0;
    }
  }
  if (index[0] < 0 || index[1] < 0 || index[2] < 0) return;
  for (std::size_t i = 0; i < 4; ++i) {
    for (std::size_t j = 0; j < 4; ++j) {
      if (index[i] < 0 || index[j] < 0) continue;
      const auto row = static_cast<std::size_t>(index[i]);
      const auto column = static_cast<std::size_t>(index[j]);
      if (row >= u.correlation.size() || column >= u.correlation[row].size()) return;
      const double r = u.correlation[row][column];
      if (!Finite(r)) return;
      covariance_[i][j] = r * se[i] * se[j];
    }
  }
  t95_ = u.t95;
  hasInterval_ = true;
}

RoadLoadValue StillAirRoadLoad::At(double speed) const {
  RoadLoadValue out;
  if (!available_ || !Finite(speed)) return out;
  const double v2 = speed * speed;
  // The force and its gradient with respect to m0, m1, m2, a0.
  const std::array<double, 4> gradient{mechFactor_, mechFactor_ * speed, mechFactor_ * v2, aeroFactor_ * v2};
  out.force = mechFactor_ * (value_[0] + value_[1] * speed + value_[2] * v2) + aeroFactor_ * value_[3] * v2;
  if (!hasInterval_) return out;
  double variance = 0.0;
  for (std::size_t i = 0; i < 4; ++i) {
    for (std::size_t j = 0; j < 4; ++j) variance += gradient[i] * covariance_[i][j] * gradient[j];
  }
  const double half = t95_ * std::sqrt(std::fmax(variance, 0.0));
  out.low = out.force - half;
  out.high = out.force + half;
  return out;
}

double TestConditionsForce(const record::FitRecord& fit, double speed) {
  if (!fit.completed) return record::kNone;
  const auto& c = fit.coefficients;
  return c[0] + c[1] * speed + (c[2] + c[3]) * speed * speed;
}

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
