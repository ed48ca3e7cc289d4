// The table of the interval method's constants.
#include "methods/IntervalConstants.h"

#include <charconv>
#include <cmath>
#include <utility>


namespace {

// The shortest text of a number.
std::string Plain(double value) {
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

std::string Annex(const char* paragraph) {
  return std::string("UN GTR 15 Annex 4 (EU 2017/1151 Annex XXI Sub-Annex 4), ") + paragraph;
}

// An entry that reads and writes a double member of the settings.
template <double IntervalSettings::*Member>
IntervalConstant Number(const char* name, const char* unit, const char* meaning, std::string source,
                        ConstantStatus status, double lowest, double highest) {
  return {name,    unit,  meaning,
          std::move(source), status, lowest, highest, false,
          [](const IntervalSettings& s) { return s.*Member; }, [](IntervalSettings& s, double v) { s.*Member = v; }};
}

std::vector<IntervalConstant> MakeTable() {
  using S = ConstantStatus;
  using Set = IntervalSettings;
  const std::string own = "the program's own check of the record rate";
  return {
      Number<&Set::lowestReferenceKmh>("lowest_reference_kmh", "km/h", "lowest reference speed", Annex("2.2"),
                                       S::NotConfirmed, 5.0, 300.0),
      Number<&Set::highestReferenceKmh>("highest_reference_kmh", "km/h", "highest reference speed", Annex("2.2"),
                                        S::NotConfirmed, 5.0, 300.0),
      Number<&Set::referenceStepKmh>("reference_step_kmh", "km/h", "step between reference speeds", Annex("2.2"),
                                     S::NotConfirmed, 1.0, 100.0),
      Number<&Set::halfWidthKmh>("half_width_kmh", "km/h", "half-width dv of the interval v - dv to v + dv",
                                 Annex("4.3.1.4.1"), S::NotConfirmed, 0.5, 20.0),
      Number<&Set::accuracyLimitPercent>("accuracy_limit_percent", "%", "limit of the statistical accuracy p",
                                         Annex("4.3.1.4.2"), S::NotConfirmed, 0.1, 20.0),
      IntervalConstant{"least_pairs", "pairs", "least number of valid pairs at every reference speed",
                       Annex("4.3.1.4.2"), S::NotConfirmed, 2.0, 100.0, true,
                       [](const Set& s) { return static_cast<double>(s.leastPairs); },
                       [](Set& s, double v) { s.leastPairs = static_cast<int>(v); }},
      IntervalConstant{"h_from_student_t", "",
                       "1: h is Student's t(0.975, n - 1) for every n; 0: the regulation's table of h (Student's t "
                       "beyond it)",
                       Annex("4.3.1.4.2, Table A4/3"), S::NotConfirmed, 0.0, 1.0, true,
                       [](const Set& s) { return s.coefficientSource == CoefficientSource::StudentT ? 1.0 : 0.0; },
                       [](Set& s, double v) {
                         s.coefficientSource = v != 0.0 ? CoefficientSource::StudentT
                                                        : CoefficientSource::RegulationTable;
                       }},
      Number<&Set::k0PerKelvin>("k0_per_K", "1/K", "rolling resistance temperature factor K0", Annex("4.5.2"),
                                S::NotConfirmed, 0.0, 0.05),
      Number<&Set::referenceTemperatureC>("reference_temperature_C", "degC",
                                          "reference temperature of the corrected road load",
                                          Annex("4.5.1 and 4.5.5"), S::NotConfirmed, -20.0, 50.0),
      Number<&Set::referencePressureKPa>("reference_pressure_kPa", "kPa", "reference pressure of K2",
                                         Annex("4.5.1"), S::NotConfirmed, 50.0, 120.0),
      Number<&Set::leastRateHz>("least_rate_hz", "Hz", "least record rate of the vehicle speed", Annex("3.1"),
                                S::Confirmed, 0.001, 1000.0),
      Number<&Set::meanWindLimitMs>("mean_wind_limit_m_s", "m/s", "largest mean wind speed beside the track",
                                    Annex("4.1.1.1.1"), S::NotConfirmed, 0.0, 50.0),
      Number<&Set::gustLimitMs>("gust_limit_m_s", "m/s", "largest gust beside the track", Annex("4.1.1.1.1"),
                                S::NotConfirmed, 0.0, 50.0),
      Number<&Set::crossWindLimitMs>("crosswind_limit_m_s", "m/s", "largest mean wind across the track",
                                     Annex("4.1.1.1.1"), S::NotConfirmed, 0.0, 50.0),
      Number<&Set::lowestTemperatureC>("lowest_temperature_C", "degC", "lowest atmospheric temperature of the test",
                                       Annex("4.1.1.2"), S::NotConfirmed, -50.0, 60.0),
      Number<&Set::highestTemperatureC>("highest_temperature_C", "degC",
                                        "highest atmospheric temperature of the test", Annex("4.1.1.2"),
                                        S::NotConfirmed, -50.0, 60.0),
      Number<&Set::mostRejectedShare>("rejected_share", "", "largest share of the pairs that may be rejected",
                                      "proposal WLTP-AH-07-04 for UN GTR 15 Annex 4, 4.3.1.4.3", S::Proposal, 0.0,
                                      1.0),
      IntervalConstant{"weighted_fit", "",
                       "1: each force weighed by its precision in the fit of f0, f1, f2; 0: unweighted least "
                       "squares",
                       "the program's own choice beside " + Annex("2.4"), S::OurChoice, 0.0, 1.0, true,
                       [](const Set& s) { return s.weighting == FitWeighting::InverseVariance ? 1.0 : 0.0; },
                       [](Set& s, double v) {
                         s.weighting = v != 0.0 ? FitWeighting::InverseVariance : FitWeighting::Unweighted;
                       }},
      Number<&Set::leastDecelerationMs2>("least_deceleration_m_s2", "m/s2",
                                         "least mean deceleration through an interval of a coasting vehicle", own,
                                         S::OurChoice, 0.0, 10.0),
      Number<&Set::mostDecelerationMs2>("most_deceleration_m_s2", "m/s2",
                                        "largest mean deceleration through an interval of a coasting vehicle", own,
                                        S::OurChoice, 0.01, 50.0),
  };
}

}  // namespace

const char* ConstantStatusName(ConstantStatus status) {
  switch (status) {
    case ConstantStatus::Confirmed: return "confirmed";
    case ConstantStatus::NotConfirmed: return "not confirmed";
    case ConstantStatus::Proposal: return "proposal";
    case ConstantStatus::OurChoice: return "our choice";
  }
  return "";
}

const std::vector<IntervalConstant>& IntervalConstants() {
  static const std::vector<IntervalConstant> table = MakeTable();
  return table;
}

const IntervalConstant* FindIntervalConstant(const std::string& name) {
  for (const IntervalConstant& constant : IntervalConstants())
    if (name == constant.name) return &constant;
  return nullptr;
}

std::string IntervalConstantNames() {
  std::string names;
  for (const IntervalConstant& constant : IntervalConstants()) names += (names.empty() ? "" : ", ") + std::string(constant.name);
  return names;
}

bool IntervalConstantAllows(const IntervalConstant& constant, double value, std::string& why) {
  if (std::isfinite(value) && value >= constant.lowest && value <= constant.highest &&
      (!constant.whole || value == std::floor(value)))
    return true;
  why = std::string(constant.whole ? "a whole number" : "a number") + " from " + Plain(constant.lowest) + " to " +
        Plain(constant.highest);
  return false;
}
