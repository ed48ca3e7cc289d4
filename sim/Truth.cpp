// Truth in report units and the text of truth.txt.
#include "Truth.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "DayRecording.h"
#include "NumberFormat.h"
#include "Options.h"
#include "Units.h"
#include "common/NumberText.h"
#include "data/CDataCol.h"

namespace sim {

namespace {

constexpr const char* kEol = "\r\n";

class Lines {
 public:
  void Add(const std::string& line) { text_ += line + kEol; }
  void Append(const std::string& lines) { text_ += lines; }
  void Param(const std::string& name, const std::string& value) { Add("#   " + name + " = " + value); }
  // A value computed from the parameters, to 12 significant digits.
  void Derived(const std::string& name, double value, const std::string& unit) {
    Param(name, FormatSignificant(value, 12) + (unit.empty() ? "" : " " + unit));
  }
  std::string Text() const { return text_; }

 private:
  std::string text_;
};

using Means = std::array<double, 3>;

// The one-second samples the analysis reduces `values` (three a record,
// as vehicle speed, relative wind and yaw) of run `number` to. At five
// records a second the analysis' own reduction does it; at other rates the
// same rule with that many records a second: sample i is the mean of
// records rate·i − 1 to rate·i + rate − 2 (from 0).
std::vector<Means> OneSecondSamples(int number, std::size_t records, int rate, const auto& values) {
  std::vector<Means> means;
  if (rate == kRecordsPerSecond) {
    CDataCol raw;
    for (std::size_t i = 0; i < records; ++i) {
      const auto [a, b, c] = values(i);
      raw.Add(a, b, c, number);
    }
    CDataCol samples;
    samples.Reduce(number, raw);
    for (const CMeasurement& s : samples) {
      means.push_back({s.dVehicleSpeed.value(), s.dWindSpeed.value(), s.dAngle.value()});
    }
    return means;
  }
  const auto n = static_cast<long>(records);
  const long count = n > 0 ? (n - 1) / rate - 1 : 0;
  for (long i = 1; i <= count; ++i) {
    Means sum{0.0, 0.0, 0.0};
    for (long p = rate * i - 1; p <= rate * i + rate - 2; ++p) {
      const auto [a, b, c] = values(static_cast<std::size_t>(p));
      sum[0] += a;
      sum[1] += b;
      sum[2] += c;
    }
    means.push_back({sum[0] / rate, sum[1] / rate, sum[2] / rate});
  }
  return means;
}

// The still-air road load of the vehicle, for the methods that fit it
// without an anemometer.
void AddRoadLoad(Lines& r, const SimConfig& c, const Truth& t) {
  r.Add("TRUE ROAD LOAD IN STILL AIR");
  r.Add("Test mass: " + FormatSignificant(t.massKg, 12) + " kg");
  r.Add("Rotating mass: " + FormatSignificant(t.rotatingMassKg, 12) + " kg");
  r.Add("Test f0: " + FormatSignificant(t.testF0, 12) + " N");
  r.Add("Test f1: " + FormatSignificant(t.testF1, 12) + " N/(km/h)");
  r.Add("Test f2: " + FormatSignificant(t.testF2, 12) + " N/(km/h)^2");
  r.Add("Standard f0: " + FormatSignificant(t.standardF0, 12) + " N");
  r.Add("Standard f1: " + FormatSignificant(t.standardF1, 12) + " N/(km/h)");
  r.Add("Standard f2: " + FormatSignificant(t.standardF2, 12) + " N/(km/h)^2");
  for (int mph = 10; mph <= c.runs.coastHighMph; mph += 10) {
    const double v = mph * kKmhPerMph;
    r.Add("Road load at " + std::to_string(mph) +
          " mph: " + FormatSignificant(t.standardF0 + t.standardF1 * v + t.standardF2 * v * v, 12) + " N");
  }
  r.Add("");
}

// Where the coasts lie in files that hold more than the coast, and the
// runs in a day recording.
void AddSpans(Lines& r, const SimConfig& c, const TestFacts& facts) {
  if (facts.coasts.empty() && facts.day.empty()) return;
  const double interval = RecordInterval(c.rate);
  const auto time = [&](long record) {
    return FormatSignificant(static_cast<double>(record - 1) * interval, 12) + " s";
  };
  r.Add("RUNS IN THE FILES");
  for (const auto& [spans, file] :
       {std::pair{&facts.coasts, std::string()}, {&facts.day, std::string(kDayFileName) + " "}}) {
    for (const FileSpan& s : *spans) {
      const std::string name = file + s.run + (s.run.starts_with("DATA") ? " coast" : "");
      r.Add(name + " first record: " + std::to_string(s.first));
      r.Add(name + " first time: " + time(s.first));
      r.Add(name + " last record: " + std::to_string(s.last));
      r.Add(name + " last time: " + time(s.last));
    }
  }
  r.Add("");
}

}  // namespace

double ZeroRunMeanYaw(const std::vector<Run>& runs, int rate) {
  double sum = 0.0;
  long count = 0;
  for (const Run& run : runs) {
    if (run.kind != RunKind::Zero) continue;
    const std::vector<Means> samples = OneSecondSamples(run.number, run.records.size(), rate, [&](std::size_t i) {
      const Record& r = run.records[i];
      return std::array{r.speedMph, r.windMph, r.yawDeg};
    });
    for (const Means& s : samples) sum += s[2];
    count += static_cast<long>(samples.size());
  }
  return count == 0 ? 0.0 : sum / static_cast<double>(count);
}

TestFacts FactsOf(const std::vector<Run>& runs, int rate) {
  TestFacts facts;
  double head = 0.0;
  double cross = 0.0;
  long count = 0;
  for (const Run& run : runs) {
    if (run.kind != RunKind::Data) continue;
    // The true wind at every record in the frame of the odd runs, m/s,
    // sampled as the analysis samples the readings.
    const double direction = HeadingOfRun(run.number);
    const std::vector<Means> samples = OneSecondSamples(run.number, run.truth.size(), rate, [&](std::size_t i) {
      const TrueState& s = run.truth[i];
      const double yaw = s.air.yawDeg * kRadiansPerDegree;
      return std::array{(s.air.speed * std::cos(yaw) - s.speed) * direction, s.air.speed * std::sin(yaw) * direction,
                        0.0};
    });
    for (const Means& s : samples) {
      head += s[0];
      cross += s[1];
      facts.maxHeadMph = std::max(facts.maxHeadMph, std::fabs(MetresPerSecondToMph(s[0])));
      facts.maxCrossMph = std::max(facts.maxCrossMph, std::fabs(MetresPerSecondToMph(s[1])));
    }
    count += static_cast<long>(samples.size());
    if (!run.before.records.empty() || !run.after.records.empty()) {
      const auto first = static_cast<long>(run.before.records.size()) + 1;
      facts.coasts.push_back(
          {"DATA." + std::to_string(run.number), first, first + static_cast<long>(run.records.size()) - 1});
    }
  }
  if (count > 0) {
    facts.meanHeadMph = MetresPerSecondToMph(head / static_cast<double>(count));
    facts.meanCrossMph = MetresPerSecondToMph(cross / static_cast<double>(count));
  }
  if (std::any_of(runs.begin(), runs.end(), [](const Run& r) { return r.kind == RunKind::Zero; })) {
    facts.zeroMeanYawDeg = ZeroRunMeanYaw(runs, rate);
  }
  return facts;
}

Truth ComputeTruth(const SimConfig& config) {
  Truth t{};
  const VehicleConfig& v = config.vehicle;
  const double speed = kMetresPerSecondPerMph;
  t.testTemperatureC = FahrenheitToCelsius(config.conditions.temperatureF);
  t.testPressureKpa = config.conditions.pressureInHg * kKilopascalPerInchHg;
  t.testDensity = AirDensity(t.testTemperatureC, t.testPressureKpa);
  t.standardDensity = AirDensity(kStandardTemperatureC, kStandardPressureKpa);
  const double area = v.areaFt2 * kSquareMetresPerSquareFoot;

  t.m0 = v.mechA * kNewtonPerPound;
  t.m1 = v.mechB * kNewtonPerPound / speed;
  t.m2 = v.mechC * kNewtonPerPound / (speed * speed);
  t.a0 = 0.5 * t.testDensity * v.cd0 * area;
  t.a2 = t.a0 * v.cdYawPerDeg2;

  // The analysis' corrections to 20 °C and 98.21 kPa; its Kelvin offset in
  // the aero factor is 273, not 273.15.
  t.mechFactor = (t.testTemperatureC - 20.0) * 0.0081 + 1.0;
  t.aeroFactor = ((t.testTemperatureC + 273.0) / 293.0) * (kStandardPressureKpa / t.testPressureKpa);

  const double speed2 = std::pow(speed, 2.0);
  t.amech = t.m0 * t.mechFactor / kNewtonPerPound;
  t.bmech = t.m1 * t.mechFactor / kNewtonPerPound * speed;
  t.cmech = t.m2 * t.mechFactor / kNewtonPerPound * speed2;
  t.caero = t.a0 * t.aeroFactor / kNewtonPerPound * speed2;
  t.ctotl = (t.m2 * t.mechFactor + t.a0 * t.aeroFactor) / kNewtonPerPound * speed2;
  t.cd = t.a0 / (t.standardDensity * 0.5 * area) * t.aeroFactor;
  t.areaFt2 = area / kSquareMetresPerSquareFoot;

  t.massKg = MassFromWeight(v.weightLb);
  t.rotatingMassKg = v.rotatingMassKg;
  const double kmh = kKmhPerMetrePerSecond;
  t.testF0 = t.m0;
  t.testF1 = t.m1 / kmh;
  t.testF2 = (t.m2 + t.a0) / (kmh * kmh);
  t.standardF0 = t.m0 * t.mechFactor;
  t.standardF1 = t.m1 * t.mechFactor / kmh;
  t.standardF2 = (t.m2 * t.mechFactor + t.a0 * t.aeroFactor) / (kmh * kmh);
  return t;
}

std::string TruthResultLines(const Truth& t) {
  Lines out;
  out.Add("Amech: " + FormatFixed(t.amech, "0.00"));
  out.Add("Bmech: " + FormatFixed(t.bmech, "0.0000"));
  out.Add("Cmech: " + FormatFixed(t.cmech, "0.000000") + " ^ 2");
  out.Add("");
  out.Add("Caero: " + FormatFixed(t.caero, "0.000000") + " N/MPH ^ 2");
  out.Add("Ctotl: " + FormatFixed(t.ctotl, "0.000000") + " N/MPH ^ 2");
  out.Add("");
  out.Add("Area: " + NumberText(t.areaFt2) + "ft ^2 ");
  out.Add("Cd:    " + FormatFixed(t.cd, "0.000"));
  return out.Text();
}

std::string TruthFileText(const SimConfig& c, const Truth& t, const TestFacts& facts) {
  const AnemometerConfig& a = c.anemometer;
  // The yaw offset the calibration should find is what the ZERO runs'
  // offset, already subtracted, left of the misalignment.
  const double yawOffset = a.misalignDeg - facts.zeroMeanYawDeg.value_or(0.0);

  Lines r;
  r.Add("# Truth of this simulated test: lines 2 to 10 are laid out as lines 2 to 10 of the report");
  r.Append(TruthResultLines(t));
  r.Add("");
  r.Add("Average Wind");
  r.Add("Head: " + FormatFixed(facts.meanHeadMph, "0.00") + " Cross: " + FormatFixed(facts.meanCrossMph, "0.00"));
  r.Add("Max Wind");
  r.Add("Head: " + FormatFixed(facts.maxHeadMph, "0.00") + " Cross: " + FormatFixed(facts.maxCrossMph, "0.00"));
  r.Add("");
  r.Add("CALIBRATION COEFFICIENTS");
  r.Add("True anemometer");
  r.Add("");
  r.Add("Ka = " + NumberText(1.0 / a.gain) + " ");
  r.Add("k3 = " + FormatFixed(a.EffectiveLoss(), "0.000000"));
  r.Add("K4 = " + NumberText(-a.offsetMph * kMetresPerSecondPerMph) + " ");
  r.Add("");
  r.Add("Ky = " + FormatFixed(1.0 / a.EffectiveYawGain(), "0.000000"));
  r.Add("Yaw Offset = " + FormatFixed(yawOffset, "0.000000"));
  r.Add("");
  if (c.extended) AddRoadLoad(r, c, t);
  AddSpans(r, c, facts);
  r.Add("# Caero and Ctotl are in lbf/mph^2 whatever their label says; all results are corrected");
  r.Add("# to 20 C and 98.21 kPa as the report's are. The wind is the true wind over the one-second");
  r.Add("# samples of all DATA runs in mph, head positive against the odd runs and cross positive");
  r.Add("# from their right. Ka = 1/anemo-gain, k3 = anemo-loss, K4 = -anemo-offset in m/s,");
  if (facts.zeroMeanYawDeg) {
    r.Add("# Ky = 1/anemo-yaw-gain, Yaw Offset = anemo-misalign minus the ZERO runs' mean yaw");
    r.Add("# reading (" + FormatSixDecimals(*facts.zeroMeanYawDeg) + " deg), which coastdown subtracts first.");
  } else {
    r.Add("# Ky = 1/anemo-yaw-gain, Yaw Offset = anemo-misalign.");
  }
  r.Add("# coastdown holds K4 at .134112 and ties Ky and k3 to Ka: only the default offset of");
  r.Add("# -0.3 mph with the coupled yaw gain and loss can be calibrated out completely. Without");
  r.Add("# CAL runs it does not calibrate and its report shows Ka = 1.");
  if (c.noAnemometer) r.Add("# The test has no anemometer: its run files hold 0 as wind speed and yaw.");
  if (c.extended) {
    r.Add("# Test f0, f1, f2: the still-air road load F = f0 + f1*v + f2*v^2 (N, v in km/h) at the test's air");
    r.Add("# density and temperature. Standard f0, f1, f2 and the road load at every 10 mph: the same in still");
    r.Add("# air corrected to 20 C and 98.21 kPa as the results above are. The vehicle accelerates as the test");
    r.Add("# mass plus the rotating mass and weighs the test mass.");
  }
  if (!facts.coasts.empty() || !facts.day.empty()) {
    r.Add("# Record numbers count from 1 (a header line is no record), times from the file's first record.");
    r.Add("# A coast's first record is the last at the held speed, its last the first below coast-low, after");
    r.Add("# which the brakes come on; logger/ files of one run hold the records of its run file.");
  }
  r.Add("#");
  r.Add("# Model at test conditions (SI):");
  r.Derived("m0", t.m0, "N");
  r.Derived("m1", t.m1, "N/(m/s)");
  r.Derived("m2", t.m2, "N/(m/s)^2");
  r.Derived("a0 = 0.5*rho*Cd0*A", t.a0, "N/(m/s)^2");
  r.Derived("a2 = a0*k (yaw in degrees)", t.a2, "N/(m/s)^2/deg^2");
  r.Param("a1 = a3 = a4", "0");
  r.Derived("test temperature", t.testTemperatureC, "C");
  r.Derived("test pressure", t.testPressureKpa, "kPa");
  r.Derived("test air density", t.testDensity, "kg/m^3");
  r.Derived("standard air density", t.standardDensity, "kg/m^3");
  r.Derived("MechFactor", t.mechFactor, "");
  r.Derived("AeroFactor", t.aeroFactor, "");
  r.Add("#");
  // The folder changes nothing but COMMAND, so these options remake every
  // other byte of the folder anywhere.
  r.Add("# Made by: coastdown-sim --out FOLDER" + (c.optionText.empty() ? "" : " " + c.optionText));
  r.Add("#");
  r.Add("# Parameters:");
  for (const Parameter& parameter : Parameters(c)) r.Param(parameter.name, parameter.text);
  return r.Text();
}

}  // namespace sim
