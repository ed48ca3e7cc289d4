// Analysis records built by hand for the page's tests and benchmark: a
// whole test of any number of DATA runs with every kind of sample, and one
// that an error ended while the DATA runs were read. The numbers are those
// of a plausible car (3500 lb, 22.5 ft², Cd 0.32) in a light wind, so that
// the plots look as they will for a real test.
#pragma once

#include <cmath>
#include <string>

#include "record/AnalysisRecord.h"

namespace handbuilt {

inline constexpr double kMph = 0.44704;
inline constexpr double kLbf = 4.448;

// Samples of each status in the DATA set of Test(), by the rule that places them.
inline record::SampleStatus DataStatus(int run, int second) {
  using record::SampleStatus;
  if (second == 0) return SampleStatus::NegativeDeceleration;
  if ((run * 31 + second * 7) % 97 == 0) return SampleStatus::FilterOutlier;
  if (second % 41 == 40) return SampleStatus::OutsideWindow;
  return SampleStatus::Used;
}

inline record::FileRecord File(record::SetKind kind, int run, long samples) {
  record::FileRecord f;
  f.name = std::string(record::SetName(kind)) + "." + std::to_string(run);
  f.path = "/data/My <Test> & \"A\"/" + f.name;
  f.run = run;
  f.state = record::FileRecord::State::Read;
  f.records = samples * 5 + 2;
  f.samples = samples;
  f.bytes = static_cast<std::uintmax_t>(f.records) * 17;
  f.sha256 = std::string(64, static_cast<char>('a' + run % 6));
  return f;
}

inline void EndSet(record::SetRecord& set, int nextRun) {
  record::FileRecord missing;
  missing.name = std::string(record::SetName(set.kind)) + "." + std::to_string(nextRun);
  missing.path = "/data/My <Test> & \"A\"/" + missing.name;
  missing.run = nextRun;
  set.files.push_back(missing);
  set.end = record::SetRecord::End::Missing;
  set.loaded = true;
}

inline record::Estimate Estimate(std::string name, std::string unit, double value, double se, double t95) {
  return {std::move(name), std::move(unit), value, se, value - t95 * se, value + t95 * se};
}

// A whole test: 2 ZERO runs, 4 CAL runs of 30 s and `dataRuns` coastdowns of
// `seconds` one-second samples each, analysed to the end.
inline record::AnalysisRecord Test(int dataRuns = 8, int seconds = 100) {
  using record::SampleStatus;
  using record::SetKind;
  record::AnalysisRecord r;
  r.programVersion = "1.0.2";
  r.date = "2024-05-17T10:42:00";
  r.commandText = "/data/My <Test> & \"A\",True,True,15,70,3500,68,29.92,22.5,";
  r.fields = {"/data/My <Test> & \"A\"", "True", "True", "15", "70", "3500", "68", "29.92", "22.5", ""};
  r.areaFactor = 0.0929;
  r.pressureFactor = 3.3865;
  r.weightFactor = 4.448;
  r.speedFactor = kMph;
  r.forceFactor = kLbf;
  r.temperatureCode = "F";
  r.temperatureC = 20.0;
  r.pressureKpa = 101.32;
  r.testDensity = 1.204;
  r.standardDensity = 1.167;
  r.areaM2 = 2.090;
  r.weightN = 15568.0;
  r.massKg = 1587.5;
  r.mechFactor = 1.0;
  r.aeroFactor = 0.9693;
  r.yawOffset = 1.06;
  r.yawOffsetFromZero = true;

  auto& zero = r.Set(SetKind::Zero);
  zero.kind = SetKind::Zero;
  for (int run = 1; run <= 2; ++run) {
    zero.files.push_back(File(SetKind::Zero, run, 30));
    for (int t = 0; t < 30; ++t) {
      record::SampleRecord s;
      s.set = SetKind::Zero;
      s.run = run;
      s.direction = run % 2 ? 1 : -1;
      s.time = t;
      s.speed = 50.0 * kMph;
      s.wind = 52.0 * kMph;
      s.yaw = 1.0 + 0.3 * std::sin(t);
      s.deceleration = 0.0;
      s.status = SampleStatus::Used;
      r.samples.push_back(s);
    }
  }
  EndSet(zero, 3);
  zero.runs = 2;
  zero.samples = 60;

  auto& cal = r.Set(SetKind::Cal);
  cal.kind = SetKind::Cal;
  r.calibration.ran = true;
  r.calibration.Ka = 1.0204;
  r.calibration.CalYawOffset = 0.44;
  r.calibration.Ky = 0.9702;
  r.calibration.k3 = 1.1e-5;
  r.calibration.K4 = 0.134112;
  r.calibration.yawSpread = 0.8;
  r.calibration.yawLimit = 2.4;
  r.calibration.headMismatchBefore = 0.31;
  r.calibration.crossMismatchBefore = 0.12;
  r.calibration.headMismatchAfter = 0.002;
  r.calibration.crossMismatchAfter = 0.001;
  for (int run = 1; run <= 4; ++run) {
    cal.files.push_back(File(SetKind::Cal, run, 30));
    const double sign = run % 2 ? 1.0 : -1.0;
    r.calibration.runs.push_back({run, sign * 1.9 + 0.3, 1.1 * sign + 0.2, sign * 1.95, 1.15 * sign});
    for (int t = 0; t < 30; ++t) {
      record::SampleRecord s;
      s.set = SetKind::Cal;
      s.run = run;
      s.direction = run % 2 ? 1 : -1;
      s.time = t;
      s.speed = (30.0 + 15.0 * ((run - 1) / 2)) * kMph;
      s.wind = s.speed + sign * 2.0;
      s.yaw = 0.5 * sign + 0.6 * std::sin(t * 1.3) + (t == 17 ? 4.0 : 0.0);
      s.status = t == 17 ? SampleStatus::YawOutlier : SampleStatus::Used;
      r.calibration.yawRejected += t == 17 ? 1 : 0;
      r.samples.push_back(s);
    }
  }
  EndSet(cal, 5);
  cal.runs = 4;
  cal.samples = 120;

  // m0 m1 m2 a0 a1..a4 at test conditions, SI.
  const std::array<double, 8> coefficients{133.4, 2.487, 0.0445, 0.4027, 0.0, 0.00032, 0.0, 0.0};
  r.finalFit = {true, true, "Regression Solver", 0, 0, 0, coefficients};
  r.firstFit = {true, true, "Regression Solver", 0, 0, 0, coefficients};
  r.firstFit.coefficients[0] = 128.0;

  auto& data = r.Set(SetKind::Data);
  data.kind = SetKind::Data;
  long filterTested = 0, excluded = 0, negative = 0, window = 0;
  for (int run = 1; run <= dataRuns; ++run) {
    data.files.push_back(File(SetKind::Data, run, seconds));
    const double sign = run % 2 ? 1.0 : -1.0;
    for (int t = 0; t < seconds; ++t) {
      record::SampleRecord s;
      s.set = SetKind::Data;
      s.run = run;
      s.direction = static_cast<int>(sign);
      s.time = t;
      s.speed = (70.0 - 55.0 * t / (seconds - 1.0)) * kMph;
      s.head = (4.3 + 0.8 * std::sin(0.37 * t + run)) * kMph;
      s.cross = (2.6 + 0.8 * std::cos(0.23 * t + run)) * kMph;
      const double relative = s.speed + sign * s.head;
      s.wind = std::hypot(relative, s.cross);
      s.yaw = std::atan2(sign * s.cross, relative) * 180.0 / 3.141592653589793;
      const auto& c = coefficients;
      const double model =
          c[0] + c[1] * s.speed + c[2] * s.speed * s.speed + (c[3] + c[5] * s.yaw * s.yaw) * s.wind * s.wind;
      s.status = DataStatus(run, t);
      s.filterResidual = 12.0 * std::sin(t * 2.1 + run) + (s.status == SampleStatus::FilterOutlier ? 80.0 : 0.0);
      s.residual = s.filterResidual - 0.5;
      s.force = model + s.residual;
      if (s.status == SampleStatus::NegativeDeceleration) {
        s.force = -20.0;
        s.filterResidual = record::kNone;
        s.residual = record::kNone;
      }
      s.deceleration = s.force / r.massKg;
      filterTested += s.status == SampleStatus::NegativeDeceleration ? 0 : 1;
      excluded += s.status == SampleStatus::FilterOutlier ? 1 : 0;
      negative += s.status == SampleStatus::NegativeDeceleration ? 1 : 0;
      window += s.status == SampleStatus::OutsideWindow ? 1 : 0;
      r.samples.push_back(s);
    }
  }
  EndSet(data, dataRuns + 1);
  data.runs = dataRuns;
  data.samples = static_cast<long>(dataRuns) * seconds;
  data.laterFiles = "DATA." + std::to_string(dataRuns + 2);

  r.firstFit.samplesOffered = data.samples;
  r.firstFit.negativeDeceleration = negative;
  r.firstFit.used = data.samples - negative;
  r.filter = {true, filterTested, 0.0, 13.0, 39.0, excluded};
  r.window = {true, 15 * kMph, 70 * kMph, 5 * kMph, 1e9, -20.0, 20.0, window};
  r.limitData = true;
  r.finalFit.samplesOffered = data.samples - excluded - window;
  r.finalFit.negativeDeceleration = negative;
  r.finalFit.used = r.finalFit.samplesOffered - negative;
  r.meanHead = 4.3 * kMph;
  r.meanCross = 2.6 * kMph;
  r.maxHead = 5.1 * kMph;
  r.maxCross = 3.4 * kMph;
  r.meanWindSpeed = 5.0 * kMph;

  auto& u = r.uncertainty;
  u.available = true;
  u.n = r.finalFit.used;
  u.p = 8;
  u.dof = u.n - u.p;
  u.residualSd = 12.1;
  u.rSquared = 0.9981;
  u.t95 = 1.97;
  const std::array<const char*, 8> names{"m0", "m1", "m2", "a0", "a1", "a2", "a3", "a4"};
  const std::array<double, 8> se{6.0, 0.4, 0.012, 0.011, 0.0002, 0.00004, 0.00001, 0.000001};
  for (std::size_t i = 0; i < 8; ++i) {
    u.coefficients.push_back(Estimate(names[i],
                                      i == 0   ? "N"
                                      : i == 1 ? "N/(m/s)"
                                               : "N/(m/s)^2",
                                      coefficients[i], se[i], u.t95));
  }
  u.correlation.assign(8, std::vector<double>(8, 0.0));
  for (std::size_t i = 0; i < 8; ++i) u.correlation[i][i] = 1.0;
  u.correlation[2][3] = u.correlation[3][2] = -0.93;
  u.correlation[0][1] = u.correlation[1][0] = -0.8;
  u.correlationM2A0 = -0.93;
  u.solverAgreement = 3e-12;
  for (const double mph : {10.0, 20.0, 30.0, 40.0, 50.0, 60.0, 70.0}) {
    const double v = mph * kMph;
    const double f = r.mechFactor * (coefficients[0] + coefficients[1] * v + coefficients[2] * v * v) +
                     r.aeroFactor * coefficients[3] * v * v;
    u.roadLoad.push_back({mph, f, f - 15.0, f + 15.0});
  }

  auto& results = r.results;
  results.available = true;
  results.report = {Estimate("Amech", "lbf", 30.01, 1.3, 1.97),
                    Estimate("Bmech", "lbf/mph", 0.2494, 0.04, 1.97),
                    Estimate("Cmech", "lbf/mph^2", 0.00201, 0.0006, 1.97),
                    Estimate("Caero", "lbf/mph^2", 0.01752, 0.0005, 1.97),
                    Estimate("Ctotl", "lbf/mph^2", 0.01953, 0.0002, 1.97),
                    Estimate("Cd", "", 0.3199, 0.009, 1.97)};
  results.si = {Estimate("m0", "N", 133.4, 6.0, 1.97), Estimate("m1", "N/(m/s)", 2.487, 0.4, 1.97),
                Estimate("m2", "N/(m/s)^2", 0.0445, 0.012, 1.97), Estimate("a0", "N/(m/s)^2", 0.3903, 0.011, 1.97)};
  results.roadLoad = {Estimate("f0", "N", 133.4, 6.0, 1.97), Estimate("f1", "N/(km/h)", 0.691, 0.11, 1.97),
                      Estimate("f2", "N/(km/h)^2", 0.0334, 0.0005, 1.97)};
  results.drag = {Estimate("Cd", "", 0.3199, 0.009, 1.97), Estimate("CdA", "m^2", 0.6686, 0.019, 1.97)};
  results.cAero = "0.01752";
  results.cTotal = "0.01953";
  results.CD = "0.320";

  const auto check = [&](const char* id, const char* title, double value, const char* unit, const char* limit,
                         bool applicable, bool pass) {
    record::CheckRecord k;
    k.id = id;
    k.title = title;
    k.value = value;
    k.unit = unit;
    k.limit = limit;
    k.source = "practice";
    k.finding = std::string("what was found for ") + title;
    k.applicable = applicable;
    k.pass = pass;
    r.checks.push_back(k);
  };
  check("directions", "runs in both directions", 8, "runs", ">= 2 each way", true, true);
  check("mean_wind", "mean wind speed", 8.1, "km/h", "<= 16 km/h", true, true);
  check("gusts", "largest head wind <script>", 30.0, "km/h", "<= 13 & gusts", true, false);
  check("cal_pairs", "calibration pairs agree", record::kNone, "", "", false, true);
  r.warnings = {"DATA.10 exists but DATA.9 is missing: later files not analysed <b>&</b>"};
  r.reportPath = "/data/My <Test> & \"A\"/VB6Output.txt";
  r.reportWritten = true;
  return r;
}

// A test that error 62 ended while DATA.3 was read: ZERO and CAL read but
// not yet used, no fit, no uncertainty, no results.
inline record::AnalysisRecord EndedEarly() {
  using record::SetKind;
  record::AnalysisRecord r;
  r.programVersion = "1.0.2";
  r.commandText = "/tmp/t,True,False,15,70,3500,68,29.92,22.5,";
  r.fields = {"/tmp/t", "True", "False", "15", "70", "3500", "68", "29.92", "22.5", ""};
  auto& cal = r.Set(SetKind::Cal);
  cal.kind = SetKind::Cal;
  cal.loaded = true;
  cal.files.push_back(File(SetKind::Cal, 1, 3));
  auto& data = r.Set(SetKind::Data);
  data.kind = SetKind::Data;
  data.loaded = true;
  data.files.push_back(File(SetKind::Data, 1, 4));
  data.files.push_back(File(SetKind::Data, 2, 4));
  data.files.back().zeroFields = 2;
  data.files.back().zeroFieldLine = 7;
  data.files.back().zeroFieldPosition = 2;
  data.files.back().zeroFieldText = "x<y";
  record::FileRecord broken = File(SetKind::Data, 3, 0);
  broken.state = record::FileRecord::State::Error;
  broken.sha256.clear();
  data.files.push_back(broken);
  data.end = record::SetRecord::End::Error;
  r.error = {62, "Input past end of file", "/tmp/t/DATA.3 line 12"};
  data.error = r.error;
  for (int run = 1; run <= 2; ++run) {
    for (int t = 0; t < 4; ++t) {
      record::SampleRecord s;
      s.set = SetKind::Data;
      s.run = run;
      s.time = t;
      s.speed = (60.0 - t) * kMph;
      s.wind = record::kNone;
      s.yaw = record::kNone;
      s.deceleration = 0.44;
      s.status = record::SampleStatus::NotUsed;
      r.samples.push_back(s);
    }
  }
  for (int t = 0; t < 3; ++t) {
    record::SampleRecord s;
    s.set = SetKind::Cal;
    s.run = 1;
    s.time = t;
    s.speed = 30.0 * kMph;
    s.yaw = 0.5;
    s.status = record::SampleStatus::NotUsed;
    r.samples.push_back(s);
  }
  r.exitStatus = 1;
  return r;
}

}  // namespace handbuilt
