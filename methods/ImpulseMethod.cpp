// The impulse method as an analysis method of the program.
#include "methods/ImpulseMethod.h"

#include <cmath>
#include <utility>

#include "common/NumberText.h"
#include "common/RuntimeError.h"
#include "methods/ImpulseInput.h"

namespace {

// The place of each of the method's coefficients in the layout of the
// specified fit: m0 m1 m2 a0 a1 a2 a3 a4.
int LayoutIndex(const std::string& name) {
  static const char* const kNames[8] = {"m0", "m1", "m2", "a0", "a1", "a2", "a3", "a4"};
  for (int j = 0; j < 8; ++j) {
    if (name == kNames[j]) return j;
  }
  return -1;
}

std::string Fixed(double value, int decimals) {
  std::string pattern = decimals > 0 ? "0." + std::string(static_cast<std::size_t>(decimals), '0') : "0";
  return FormatFixed(value, pattern);
}

// The wind beside the track for every DATA run, in the order of the runs:
// one reading for the whole test, or the file's line for the run.
std::vector<TrackWind> TrackWindOfRuns(const std::vector<RunRecords>& runs,
                                       const std::vector<TrackWindReading>& readings, const std::string& file,
                                       std::vector<TrackWindReading>& used) {
  std::vector<TrackWind> winds;
  if (readings.empty()) return winds;
  for (const RunRecords& run : runs) {
    const TrackWindReading* found = nullptr;
    for (const TrackWindReading& r : readings) {
      if (r.run == run.run || r.run == 0) found = &r;
    }
    if (found == nullptr) {
      Raise(ErrorNumber::InvalidProcedureCall,
            "--track-wind " + file + " gives no wind for DATA." + std::to_string(run.run) +
                "; the impulse method needs the wind beside the track for every DATA run");
    }
    TrackWindReading reading = *found;
    reading.run = run.run;
    used.push_back(reading);
    winds.push_back({reading.speed, reading.fromDeg});
  }
  return winds;
}

// The calibrated quantities the records were formed with, and how each
// moves a record's wind and yaw: as the calibration forms them, so that the
// record can carry the scatter of the CAL pairs (or of the ZERO pairs) into
// the intervals.
std::vector<RecordInput> CalibrationInputs(const MethodCalibration& c) {
  std::vector<RecordInput> inputs;
  if (c.calibrated) {
    // The gain moves Ky and k3 with it, as the calibration couples them;
    // the yaw reading was formed with the old Ky, the loss with the old k3.
    inputs.push_back({"Ka", 1e-3, [c](double& wind, double& yaw, double delta) {
                        const double loss = 1.0 - c.k3 * yaw * yaw;
                        yaw *= std::pow((c.Ka + delta) / c.Ka, -1.5);
                        const double k3 = c.k3 + delta * 0.00053;
                        wind *= (c.Ka + delta) / c.Ka * (1.0 - k3 * yaw * yaw) / loss;
                      }});
    inputs.push_back({"yaw_offset", 0.01, [c](double& wind, double& yaw, double delta) {
                        const double loss = 1.0 - c.k3 * yaw * yaw;
                        yaw -= delta * c.Ky;
                        wind *= (1.0 - c.k3 * yaw * yaw) / loss;
                      }});
  } else if (c.zeroOffset) {
    inputs.push_back({"zero_yaw_offset", 0.01, [](double&, double& yaw, double delta) { yaw -= delta; }});
  }
  return inputs;
}

std::string WindowShapeText(WindowShape shape) {
  const std::string name = WindowShapeName(shape);
  return name.empty() ? name : static_cast<char>(name[0] - 'a' + 'A') + name.substr(1);
}

// The lines of the report's solver section, in the solvers' own manner: the
// terms of the model, then how the windows and the masses were taken, then
// what the data leave open.
std::vector<std::string> ReportLines(const ImpulseAnalysis& a) {
  const ImpulseResult& r = a.result;
  std::vector<std::string> lines;
  if (r.model == ImpulseModel::TotalRoadLoad) {
    lines.emplace_back(" 3 term total road load: F = f0 + f1*V + f2*V ^ 2");
  } else {
    lines.emplace_back(" 3 term mechanical model");
    if (!a.yawCurveFile.empty()) {
      lines.push_back(" 1 term aerodynamic model, scaled by the yaw curve " + a.yawCurveFile);
    } else {
      lines.push_back(" " + std::to_string(1 + r.yawTerms) + " term aerodynamic model" +
                      (r.yawTerms > 0 ? ", yaw sensitivity with a prior" : std::string()));
    }
  }
  lines.push_back(" " + WindowShapeText(r.layout.shape) + " windows of " + Fixed(r.layout.LengthS(), 1) + " s, a new one every " +
                  Fixed(static_cast<double>(r.layout.step) / r.layout.rateHz, 1) + " s: " +
                  std::to_string(r.windowsUsed) + " of " + std::to_string(r.windows.size()) + " used");
  lines.push_back(" Mass " + Fixed(a.massKg, 1) + " kg and rotating mass " + Fixed(a.rotatingMass.kg, 1) + " kg");
  if (!a.anemometer) {
    lines.emplace_back(" No anemometer: the wind above is not a measured wind");
  }
  if (a.squareTermSplitAssumed) {
    lines.push_back(" Cmech and Caero split Ctotl by assumption (" + Fixed(100.0 * kMechanicalShareMidpoint, 0) +
                    " % mechanical): Cd is not determined");
  } else if (r.aeroMechanicalInseparable) {
    lines.emplace_back(" Cmech and Caero cannot be told apart: Cd is not determined");
  }
  return lines;
}

}  // namespace

ImpulseMethod::ImpulseMethod(const MethodOptions& options) : options_(options) {
  if (!options.yawCurveFile.empty()) curve_ = YawCurve::FromFile(options.yawCurveFile);
}

MethodResult ImpulseMethod::Analyse(const MethodRun& run) {
  const MethodConditions& given = run.conditions;
  analysis_ = ImpulseAnalysis();
  ImpulseAnalysis& a = analysis_;
  a.massKg = given.massKg;
  a.rateHz = given.rateHz;
  a.rotatingMass = ChooseRotatingMass(options_.rotatingMass, given.massKg);
  a.yawCurveFile = options_.yawCurveFile;
  if (curve_) a.yawCurve = curve_->Points();

  ImpulseConditions c;
  c.airDensity = given.testDensity;
  c.massKg = given.massKg;
  c.rotatingMassKg = a.rotatingMass.kg;
  c.areaM2 = given.areaM2;
  if (std::isfinite(given.knownCd)) c.knownCd = given.knownCd;
  c.yawCurve = curve_;
  if (given.limitData) c.speedWindow = std::make_pair(given.minSpeedMs, given.maxSpeedMs);

  std::vector<std::string> notes;
  if (given.noAnemometer) {
    a.anemometer = false;
    a.anemometerSource = "--no-anemometer";
  } else if (!run.windAsReadHoldsAnemometer) {
    a.anemometer = false;
    a.anemometerSource = "found: every wind reading of the DATA runs is 0 or equals the vehicle speed";
  } else {
    a.anemometerSource = "the wind columns of the DATA runs";
  }
  c.anemometer = a.anemometer;
  if (!a.anemometer) {
    notes.push_back("the wind columns hold no anemometer (" + a.anemometerSource +
                    "): the total road load f0 + f1*v + f2*v^2 is fitted");
    if (run.calibration.calibrated) {
      notes.emplace_back("CALIBRATE asked for the calibration of an anemometer the wind columns do not hold; the "
                         "method does not use the wind columns");
    }
  } else {
    c.inputs = CalibrationInputs(run.calibration);
  }
  if (options_.trackWind) {
    a.trackWindSource = options_.trackWind->wholeTest ? "SPEED,FROM for the whole test" : options_.trackWind->file;
    c.trackWind = TrackWindOfRuns(run.data, given.trackWindMs, a.trackWindSource, a.trackWind);
    if (a.anemometer) {
      notes.emplace_back("the wind beside the track (--track-wind) is not used: the anemometer measures the wind at "
                         "the vehicle");
      c.trackWind.clear();
    }
  }

  a.result = FitImpulse(run.data, c);
  a.ran = true;
  const ImpulseResult& r = a.result;

  MethodResult out;
  out.method = "impulse";
  out.solverName = "Impulse Solver";
  out.notes = notes;
  if (!r.solved) {
    out.notes.push_back("the impulse method gives no result: " + r.whyNot);
    return out;
  }
  out.notes.insert(out.notes.end(), r.notes.begin(), r.notes.end());

  // The coefficients in the layout of the specified fit, with their
  // covariance and slopes; what the layout has no place for (the direction
  // terms of a test without an anemometer) stays in the record's own part.
  const std::size_t p = r.coefficients.size();
  std::array<std::array<double, 8>, 8> map{};  // layout index × the method's coefficient
  for (std::size_t j = 0; j < p; ++j) {
    const ImpulseCoefficient& k = r.coefficients[j];
    if (r.model == ImpulseModel::TotalRoadLoad) {
      if (k.name == "f0") map[0][j] = 1.0;
      if (k.name == "f1") map[1][j] = 1.0;
      if (k.name == "f2") {
        // The total V² term: with CD the aerodynamic part is known and the
        // rest is mechanical; without, a share is assumed (and carried as an
        // input of the uncertainty below).
        if (c.knownCd) {
          map[2][j] = 1.0;
        } else {
          map[2][j] = kMechanicalShareMidpoint;
          map[3][j] = 1.0 - kMechanicalShareMidpoint;
        }
      }
    } else {
      const int at = LayoutIndex(k.name);
      if (at >= 0) map[static_cast<std::size_t>(at)][j] = 1.0;
    }
  }
  for (std::size_t i = 0; i < 8; ++i) {
    double value = 0.0;
    bool any = false;
    for (std::size_t j = 0; j < p; ++j) {
      if (map[i][j] == 0.0) continue;
      value += map[i][j] * r.coefficients[j].value;
      any = true;
    }
    out.coefficients[i] = any ? value : 0.0;
  }
  double heldA0 = 0.0;
  if (r.model == ImpulseModel::TotalRoadLoad && c.knownCd) {
    heldA0 = *c.knownCd * 0.5 * c.airDensity * c.areaM2;
    out.coefficients[2] -= heldA0;
    out.coefficients[3] = heldA0;
  }
  out.covariance.assign(64, 0.0);
  for (std::size_t i = 0; i < 8; ++i) {
    for (std::size_t k = 0; k < 8; ++k) {
      double sum = 0.0;
      for (std::size_t j = 0; j < p; ++j) {
        if (map[i][j] == 0.0) continue;
        for (std::size_t m = 0; m < p; ++m) sum += map[i][j] * r.covariance[j * p + m] * map[k][m];
      }
      out.covariance[i * 8 + k] = sum;
    }
  }
  out.degreesOfFreedom = r.degreesOfFreedom;
  for (const ImpulseInputSensitivity& s : r.inputs) {
    MethodInput input;
    input.name = s.name;
    input.unit = s.name == "Ka" ? "" : "deg";
    for (std::size_t i = 0; i < 8; ++i) {
      for (std::size_t j = 0; j < p; ++j) input.sensitivity[i] += map[i][j] * s.slope[j];
    }
    out.inputs.push_back(input);
  }
  if (r.model == ImpulseModel::TotalRoadLoad && !c.knownCd) {
    a.squareTermSplitAssumed = true;
    out.notDetermined = {"m2", "a0"};
    const ImpulseCoefficient* f2 = r.Find("f2");
    MethodInput share;
    share.name = "v2_mechanical_share";
    share.source = "the share of the V^2 term that is mechanical, which the data cannot tell: taken as anywhere "
                   "from none to a fifth (uniformly), so that the mechanical and aerodynamic corrections to 20 C "
                   "and 98.21 kPa can be applied";
    share.value = kMechanicalShareMidpoint;
    share.standardUncertainty = kMechanicalShareHalfRange / std::sqrt(3.0);
    share.sensitivity[2] = f2->value;
    share.sensitivity[3] = -f2->value;
    out.inputs.push_back(share);
  }
  out.completed = true;
  out.reportLines = ReportLines(a);
  return out;
}
