// Analysis records built by hand for the page's tests and benchmark: a
// whole test of any number of DATA runs with every kind of sample, and one
// that an error ended while the DATA runs were read. The numbers are those
// of a plausible car (3500 lb, 22.5 ft², Cd 0.32) in a light wind, so that
// the plots look as they will for a real test; the folder's name holds
// characters the page has to escape.
#pragma once

#include <cmath>
#include <string>

#include "common/Version.h"
#include "record/AnalysisRecord.h"

namespace handbuilt {

inline constexpr double kMph = 0.44704;
inline const std::string kFolder = "/data/My <Test> & \"A\"";

// The run files `kind`.1 to .`runs` read into the set, each of `samples`
// one-second samples, and the missing one after them that ended the set.
inline void AddSet(record::AnalysisRecord& r, record::SetKind kind, int runs, long samples) {
  record::SetRecord& set = r.Set(kind);
  set = {kind, true, {}, record::SetRecord::End::Missing, {}, {}, runs, runs * samples};
  for (int run = 1; run <= runs + 1; ++run) {
    record::FileRecord f;
    f.name = std::string(record::SetName(kind)) + "." + std::to_string(run);
    f.path = kFolder + "/" + f.name;
    f.run = run;
    if (run <= runs) {
      f.state = record::FileRecord::State::Read;
      f.samples = samples;
      f.records = samples * 5 + 2;
      f.bytes = static_cast<std::uintmax_t>(f.records) * 17;
      f.sha256 = std::string(64, static_cast<char>('a' + run % 6));
    }
    set.files.push_back(f);
  }
}

inline record::SampleRecord& AddSample(record::AnalysisRecord& r, record::SetKind kind, int run, int time, double speed,
                                       double wind, double yaw, record::SampleStatus status) {
  return r.samples.emplace_back(record::SampleRecord{.set = kind, .run = run, .direction = run % 2 != 0 ? 1 : -1,
                                                      .time = time, .speed = speed, .wind = wind, .yaw = yaw,
                                                      .status = status});
}

inline record::Estimate Estimate(std::string name, std::string unit, double value, double se) {
  return {std::move(name), std::move(unit), value, se, 1000.0, value - 1.97 * se, value + 1.97 * se,
          {{"fit", se, 1000.0}}};
}

// A whole test: 2 ZERO runs, 4 CAL runs of 30 s and `dataRuns` coastdowns of
// `seconds` one-second samples each, analysed to the end. Every 41st second
// lies outside the window, a few are filter outliers, the first of each run
// gained speed, and the 17th of each CAL run is a yaw outlier.
inline record::AnalysisRecord Test(int dataRuns = 8, int seconds = 100) {
  using record::SampleStatus;
  using record::SetKind;
  record::AnalysisRecord r;
  r.programVersion = kProgramVersionText;
  r.date = "2024-05-17T10:42:00";
  r.commandText = kFolder + ",True,True,15,70,3500,68,29.92,22.5,";
  r.fields = {kFolder, "True", "True", "15", "70", "3500", "68", "29.92", "22.5", ""};
  r.limitData = true;
  r.areaFactor = 0.0929;
  r.pressureFactor = 3.3865;
  r.weightFactor = r.forceFactor = 4.448;
  r.speedFactor = kMph;
  r.temperatureCode = "F";
  r.temperatureC = 20.0;
  r.pressureKpa = 101.32;
  r.testDensity = 1.204;
  r.standardDensity = 1.167;
  r.areaM2 = 2.090;
  r.weightN = 15568.0;
  r.massKg = 1587.5;
  r.yawOffset = 1.06;
  r.yawOffsetFromZero = true;
  r.mechFactor = 1.0;
  r.aeroFactor = 0.9693;
  r.meanHead = 4.3 * kMph;
  r.meanCross = 2.6 * kMph;
  r.maxHead = 5.1 * kMph;
  r.maxCross = 3.4 * kMph;
  r.meanWindSpeed = 5.0 * kMph;

  AddSet(r, SetKind::Zero, 2, 30);
  for (int run = 1; run <= 2; ++run) {
    for (int t = 0; t < 30; ++t)
      AddSample(r, SetKind::Zero, run, t, 50 * kMph, 52 * kMph, 1.0 + 0.3 * std::sin(t), SampleStatus::Used);
  }
  AddSet(r, SetKind::Cal, 4, 30);
  r.calibration = {true, 1.0204, 0.44, 0.9702, 1.1e-5, 0.134112, 0.8, 2.4, 4, 0.31, 0.12, 0.002, 0.001, {}};
  for (int run = 1; run <= 4; ++run) {
    const double sign = run % 2 != 0 ? 1.0 : -1.0;
    r.calibration.runs.push_back({run, sign * 1.9 + 0.3, 1.1 * sign + 0.2, sign * 1.95, 1.15 * sign});
    const double speed = (30.0 + 15.0 * ((run - 1) / 2)) * kMph;
    for (int t = 0; t < 30; ++t) {
      AddSample(r, SetKind::Cal, run, t, speed, speed + sign * 2.0,
                0.5 * sign + 0.6 * std::sin(t * 1.3) + (t == 17 ? 4.0 : 0.0),
                t == 17 ? SampleStatus::YawOutlier : SampleStatus::Used);
    }
  }

  // m0 m1 m2 a0 a1..a4 at test conditions, SI.
  const std::array<double, 8> c{133.4, 2.487, 0.0445, 0.4027, 0.0, 0.00032, 0.0, 0.0};
  r.firstFit = r.finalFit = {true, true, "Regression Solver", 0, 0, 0, c};
  r.firstFit.coefficients[0] = 128.0;
  AddSet(r, SetKind::Data, dataRuns, seconds);
  r.Set(SetKind::Data).laterFiles = "DATA." + std::to_string(dataRuns + 2);
  long excluded = 0, negative = 0, window = 0;
  for (int run = 1; run <= dataRuns; ++run) {
    const double sign = run % 2 != 0 ? 1.0 : -1.0;
    for (int t = 0; t < seconds; ++t) {
      const SampleStatus status = t == 0                         ? SampleStatus::NegativeDeceleration
                                  : (run * 31 + t * 7) % 97 == 0 ? SampleStatus::FilterOutlier
                                  : t % 41 == 40                 ? SampleStatus::OutsideWindow
                                                                 : SampleStatus::Used;
      const double speed = (70.0 - 55.0 * t / (seconds - 1.0)) * kMph;
      const double head = (4.3 + 0.8 * std::sin(0.37 * t + run)) * kMph,
                   cross = (2.6 + 0.8 * std::cos(0.23 * t + run)) * kMph;
      const double relative = speed + sign * head;
      record::SampleRecord& s = AddSample(r, SetKind::Data, run, t, speed, std::hypot(relative, cross),
                                          std::atan2(sign * cross, relative) * 180.0 / 3.141592653589793, status);
      s.head = head;
      s.cross = cross;
      s.filterResidual = 12.0 * std::sin(t * 2.1 + run) + (status == SampleStatus::FilterOutlier ? 80.0 : 0.0);
      s.residual = s.filterResidual - 0.5;
      s.force =
          c[0] + c[1] * speed + c[2] * speed * speed + (c[3] + c[5] * s.yaw * s.yaw) * s.wind * s.wind + s.residual;
      if (status == SampleStatus::NegativeDeceleration) s.force = -20.0, s.filterResidual = s.residual = record::kNone;
      s.deceleration = s.force / r.massKg;
      excluded += status == SampleStatus::FilterOutlier;
      negative += status == SampleStatus::NegativeDeceleration;
      window += status == SampleStatus::OutsideWindow;
    }
  }
  const long samples = static_cast<long>(dataRuns) * seconds;
  r.firstFit.samplesOffered = samples;
  r.firstFit.negativeDeceleration = r.finalFit.negativeDeceleration = negative;
  r.firstFit.used = samples - negative;
  r.filter = {true, samples - negative, 0.0, 13.0, 39.0, excluded};
  r.window = {true, 15 * kMph, 70 * kMph, 5 * kMph, 1e9, -20.0, 20.0, window};
  r.finalFit.samplesOffered = samples - excluded - window;
  r.finalFit.used = r.finalFit.samplesOffered - negative;

  auto& u = r.uncertainty;
  u.available = true;
  u.n = r.finalFit.used;
  u.p = 8;
  u.dof = u.n - u.p;
  u.residualSd = 12.1;
  u.rSquared = 0.9981;
  u.t95 = 1.97;
  const std::array<double, 8> se{6.0, 0.4, 0.012, 0.011, 0.0002, 0.00004, 0.00001, 0.000001};
  u.correlation.assign(8, std::vector<double>(8, 0.0));
  for (std::size_t i = 0; i < 8; ++i) {
    const char* const names[] = {"m0", "m1", "m2", "a0", "a1", "a2", "a3", "a4"};
    u.coefficients.push_back(Estimate(names[i], i == 0 ? "N" : i == 1 ? "N/(m/s)" : "N/(m/s)^2", c[i], se[i]));
    u.correlation[i][i] = 1.0;
  }
  u.correlation[2][3] = u.correlation[3][2] = u.correlationM2A0 = -0.93;
  u.correlation[0][1] = u.correlation[1][0] = -0.8;
  u.solverAgreement = 3e-12;
  for (const double mph : {10.0, 20.0, 30.0, 40.0, 50.0, 60.0, 70.0}) {
    const double v = mph * kMph;
    const double f = r.mechFactor * (c[0] + c[1] * v + c[2] * v * v) + r.aeroFactor * c[3] * v * v;
    u.roadLoad.push_back({mph, f, f - 15.0, f + 15.0, 7.6, 1000.0, {}});
  }

  r.results = {true,
               {Estimate("Amech", "lbf", 30.01, 1.3), Estimate("Bmech", "lbf/mph", 0.2494, 0.04),
                Estimate("Cmech", "lbf/mph^2", 0.00201, 0.0006), Estimate("Caero", "lbf/mph^2", 0.01752, 0.0005),
                Estimate("Ctotl", "lbf/mph^2", 0.01953, 0.0002), Estimate("Cd", "", 0.3199, 0.009)},
               {Estimate("m0", "N", 133.4, 6.0), Estimate("m1", "N/(m/s)", 2.487, 0.4),
                Estimate("m2", "N/(m/s)^2", 0.0445, 0.012), Estimate("a0", "N/(m/s)^2", 0.3903, 0.011)},
               {Estimate("f0", "N", 133.4, 6.0), Estimate("f1", "N/(km/h)", 0.691, 0.11),
                Estimate("f2", "N/(km/h)^2", 0.0334, 0.0005)},
               {Estimate("Cd", "", 0.3199, 0.009), Estimate("CdA", "m^2", 0.6686, 0.019)},
               "0.01752",
               "0.01953",
               "0.320",
               true,
               ""};
  // Passed, failed (with text the page has to escape) and not applicable.
  r.checks = {
      {"directions", "runs in both directions", 8, "runs", ">= 2 each way", "practice", "8 runs", true, true},
      {"mean_wind", "mean wind speed", 8.1, "km/h", "<= 16 km/h", "practice", "8.1 km/h", true, true},
      {"gusts", "largest head wind <script>", 30.0, "km/h", "<= 13 & gusts", "practice", "30 km/h", true, false},
      {"cal_pairs", "calibration pairs agree", record::kNone, "", "", "practice", "", false, true}};
  r.warnings = {"DATA.10 exists but DATA.9 is missing: later files not analysed <b>&</b>"};
  r.reportPath = kFolder + "/VB6Output.txt";
  r.reportWritten = true;
  return r;
}

// A test that error 62 ended while DATA.3 was read: one CAL run and two DATA
// runs read but not yet used, no fit, no uncertainty, no results.
inline record::AnalysisRecord EndedEarly() {
  using record::SetKind;
  record::AnalysisRecord r;
  r.programVersion = kProgramVersionText;
  r.commandText = "/tmp/t,True,False,15,70,3500,68,29.92,22.5,";
  r.fields = {"/tmp/t", "True", "False", "15", "70", "3500", "68", "29.92", "22.5", ""};
  r.speedFactor = kMph;
  r.forceFactor = 4.448;
  AddSet(r, SetKind::Cal, 1, 3);
  AddSet(r, SetKind::Data, 3, 4);
  record::SetRecord& data = r.Set(SetKind::Data);
  data.files[1].zeroFields = 2;
  data.files[1].zeroFieldLine = 7;
  data.files[1].zeroFieldPosition = 2;
  data.files[1].zeroFieldText = "x<y";
  data.files[2].state = record::FileRecord::State::Error;
  data.files[2].sha256.clear();
  data.files.pop_back();
  data.end = record::SetRecord::End::Error;
  data.error = r.error = {62, "Input past end of file", "/tmp/t/DATA.3 line 12"};
  for (int run = 1; run <= 2; ++run) {
    for (int t = 0; t < 4; ++t) {
      AddSample(r, SetKind::Data, run, t, (60.0 - t) * kMph, record::kNone, record::kNone,
                record::SampleStatus::NotUsed)
          .deceleration = 0.44;
    }
  }
  for (int t = 0; t < 3; ++t) AddSample(r, SetKind::Cal, 1, t, 30.0 * kMph, 0.0, 0.5, record::SampleStatus::NotUsed);
  r.exitStatus = 1;
  return r;
}

}  // namespace handbuilt
