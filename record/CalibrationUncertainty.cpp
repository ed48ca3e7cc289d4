// The calibrated quantities' uncertainty. Both runs of a pair cross the same
// road in opposite directions a minute or two apart, so each pair on its own
// tells the gain (and the yaw offset) at which the true wind it implies
// agrees; what makes pairs disagree (the wind drifting between the two runs,
// gusts, the anemometer's noise) is what leaves the calibration uncertain,
// and their scatter measures it.
#include "record/CalibrationUncertainty.h"

#include <array>
#include <cmath>
#include <map>

#include "data/CMeasurement.h"

namespace record {

namespace {

// The anemometer's coefficients as the calibration applies them.
struct Anemometer {
  double Ka, yawOffset, Ky, k3, K4;
};

Anemometer FromRecord(const CalibrationRecord& c) { return {c.Ka, c.CalYawOffset, c.Ky, c.k3, c.K4}; }

// The search moves Ky and k3 with every trial of Ka.
Anemometer WithGain(Anemometer a, double Ka) {
  a.Ka = Ka;
  a.Ky = 1.0 / std::pow(Ka, 1.5);
  a.k3 = (Ka - 1.0) * 0.00053;
  return a;
}

// The true head and cross wind that an averaged run implies, as the
// calibration forms them.
double Head(const RunMean& r, const Anemometer& a) {
  const double theta = (r.Y - a.yawOffset) * (DegreeToRadianFactor().value() * a.Ky);
  const double g = 1.0 - a.k3 * r.Y * r.Y;
  return (g * ((r.Vr + a.K4) * a.Ka) * std::cos(theta) - r.V) * r.direction;
}

double Cross(const RunMean& r, const Anemometer& a) {
  const double theta = (r.Y - a.yawOffset) * (DegreeToRadianFactor().value() * a.Ky);
  const double g = 1.0 - a.k3 * r.Y * r.Y;
  return g * ((r.Vr + a.K4) * (r.direction * a.Ka)) * std::sin(theta);
}

// The runs (1, 2), (3, 4), … of a set, as the calibration pairs them.
std::vector<std::pair<RunMean, RunMean>> Pairs(const std::vector<RunMean>& runs) {
  std::map<int, RunMean> byRun;
  for (const RunMean& r : runs) byRun[r.run] = r;
  std::vector<std::pair<RunMean, RunMean>> pairs;
  for (const auto& [run, first] : byRun) {
    if (run % 2 != 1) continue;
    const auto second = byRun.find(run + 1);
    if (second != byRun.end()) pairs.emplace_back(first, second->second);
  }
  return pairs;
}

// The root of `mismatch` near `start` by Newton's method, and the slope
// there; false when there is none nearby.
bool Root(const std::function<double(double)>& mismatch, double start, double step, double& root, double& slope) {
  double x = start;
  for (int i = 0; i < 50; ++i) {
    const double f = mismatch(x);
    slope = (mismatch(x + step) - mismatch(x - step)) / (2.0 * step);
    if (!std::isfinite(f) || !std::isfinite(slope) || slope == 0.0) return false;
    const double next = x - f / slope;
    if (std::fabs(next - x) <= 1e-12 * std::max(1.0, std::fabs(x))) {
      root = next;
      return std::isfinite(root);
    }
    x = next;
  }
  return false;
}

// The weighted mean of the pairs' own values, each weighted by the square
// of its mismatch's slope (so that a pair whose mismatch hardly moves with
// the quantity counts little), and the standard uncertainty of that mean
// from the pairs' scatter about it.
PairEstimate Combine(const std::vector<double>& values, const std::vector<double>& slopes, const std::string& set,
                     const std::string& quantity) {
  PairEstimate e;
  e.pairs = static_cast<long>(values.size());
  if (values.size() < 2) {
    e.why = (values.empty() ? "no pair of " + set + " runs gives " : "one pair of " + set + " runs gives ") +
            quantity + (values.empty() ? "" : " but no scatter to judge it by") + "; two pairs or more are needed";
    if (values.size() == 1) e.value = values[0];
    return e;
  }
  double weights = 0.0;
  double sum = 0.0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    weights += slopes[i] * slopes[i];
    sum += slopes[i] * slopes[i] * values[i];
  }
  e.value = sum / weights;
  double scatter = 0.0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    scatter += slopes[i] * slopes[i] * (values[i] - e.value) * (values[i] - e.value);
  }
  e.dof = static_cast<double>(values.size() - 1);
  e.standardUncertainty = std::sqrt(scatter / (e.dof * weights));
  return e;
}

PairEstimate FromPairs(const std::vector<RunMean>& runs, const std::function<double(const RunMean&, double)>& wind,
                       double start, double step, const std::string& quantity) {
  std::vector<double> values;
  std::vector<double> slopes;
  for (const std::pair<RunMean, RunMean>& pair : Pairs(runs)) {
    double root = 0.0;
    double slope = 0.0;
    if (Root([&](double x) { return wind(pair.first, x) - wind(pair.second, x); }, start, step, root, slope)) {
      values.push_back(root);
      slopes.push_back(slope);
    }
  }
  return Combine(values, slopes, "CAL", quantity);
}

}  // namespace

std::vector<RunMean> RunMeans(const AnalysisRecord& record, SetKind set) {
  std::map<int, RunMean> runs;
  RunMean* current = nullptr;  // a run's samples follow one another
  for (const SampleRecord& s : record.samples) {
    if (s.set != set || s.status != SampleStatus::Used) continue;
    if (current == nullptr || current->run != s.run) current = &runs[s.run];
    RunMean& r = *current;
    r.run = s.run;
    r.direction = s.direction;
    r.V += s.speed;
    r.Vr += s.wind;
    r.Y += s.yaw;
    ++r.samples;
  }
  std::vector<RunMean> means;
  for (auto& [run, r] : runs) {
    const double count = static_cast<double>(r.samples);
    r.V /= count;
    r.Vr /= count;
    r.Y /= count;
    means.push_back(r);
  }
  return means;
}

PairEstimate GainFromPairs(const std::vector<RunMean>& runs, const CalibrationRecord& calibration) {
  const Anemometer found = FromRecord(calibration);
  return FromPairs(
      runs, [&](const RunMean& r, double Ka) { return Head(r, WithGain(found, Ka)); }, calibration.Ka, 1e-6,
      "the anemometer's gain");
}

PairEstimate YawOffsetFromPairs(const std::vector<RunMean>& runs, const CalibrationRecord& calibration) {
  Anemometer a = FromRecord(calibration);
  return FromPairs(
      runs,
      [&](const RunMean& r, double offset) {
        a.yawOffset = offset;
        return Cross(r, a);
      },
      calibration.CalYawOffset, 1e-4, "the anemometer's yaw offset");
}

PairEstimate ZeroOffsetFromPairs(const std::vector<RunMean>& runs) {
  // The yaw a cross wind adds changes sign with the direction, so each
  // pair's mean is the anemometer's own offset.
  std::vector<double> values;
  std::vector<double> slopes;
  for (const auto& [first, second] : Pairs(runs)) {
    values.push_back(0.5 * (first.Y + second.Y));
    slopes.push_back(1.0);
  }
  return Combine(values, slopes, "ZERO", "the yaw offset");
}

void AddCalibrationUncertainty(AnalysisRecord& record, const std::vector<FitSample>& used, const FitDesign& design) {
  UncertaintyRecord& u = record.uncertainty;
  if (!u.available) return;
  // The inputs first, then how the fit moves with each of them, all from
  // the fit's own factorisation.
  std::vector<SampleInput> moves;
  const auto add = [&](const std::string& name, const std::string& unit, const std::string& source, double value,
                       const PairEstimate& e, SampleInput move) {
    InputUncertainty input;
    input.name = name;
    input.unit = unit;
    input.source = source + " (" + std::to_string(e.pairs) + (e.pairs == 1 ? " pair)" : " pairs)");
    input.value = value;
    input.standardUncertainty = e.standardUncertainty;
    input.dof = e.dof;
    moves.push_back(std::move(move));
    if (!e.why.empty() && u.inputsWhyNot.empty()) u.inputsWhyNot = e.why;
    u.inputs.push_back(input);
  };
  const CalibrationRecord& c = record.calibration;
  if (c.ran) {
    // The ZERO offset is subtracted from the CAL runs too, so the
    // calibration's yaw offset takes up any error of it.
    const std::vector<RunMean> runs = RunMeans(record, SetKind::Cal);
    const PairEstimate gain = GainFromPairs(runs, c);
    const PairEstimate offset = YawOffsetFromPairs(runs, c);
    add("Ka", "", "the gain at which the head wind of each pair of CAL runs agrees", c.Ka, gain,
        {std::isfinite(gain.standardUncertainty) && gain.standardUncertainty > 0.0 ? gain.standardUncertainty : 1e-3,
         [&c](const std::vector<FitSample>& samples, double delta, std::vector<FitSample>& moved) {
           // Ky and k3 follow the gain, as the calibration couples them.
           const double ratio = std::pow((c.Ka + delta) / c.Ka, -1.5);
           const double k3 = c.k3 + delta * 0.00053;
           moved.resize(samples.size());
           for (std::size_t k = 0; k < samples.size(); ++k) {
             const FitSample& s = samples[k];
             FitSample& m = moved[k];
             m = s;
             m.Y = s.Y * ratio;
             m.Vr = s.Vr * ((c.Ka + delta) / c.Ka) * (1.0 - k3 * m.Y * m.Y) / (1.0 - c.k3 * s.Y * s.Y);
           }
         }});
    add("yaw_offset", "deg", "the yaw offset at which the cross wind of each pair of CAL runs agrees",
        c.CalYawOffset, offset, EachSample(0.01, [&c](const FitSample& s, double delta) {
          FitSample moved = s;
          moved.Y = s.Y - delta * c.Ky;
          moved.Vr = s.Vr * (1.0 - c.k3 * moved.Y * moved.Y) / (1.0 - c.k3 * s.Y * s.Y);
          return moved;
        }));
  } else if (record.yawOffsetFromZero) {
    const PairEstimate zero = ZeroOffsetFromPairs(RunMeans(record, SetKind::Zero));
    add("zero_yaw_offset", "deg", "the mean yaw of each pair of ZERO runs", record.yawOffset, zero,
        EachSample(0.01, [](const FitSample& s, double delta) {
          FitSample moved = s;
          moved.Y = s.Y - delta;
          return moved;
        }));
  }
  const std::vector<std::array<double, 8>> slopes = Sensitivities(design, used, moves);
  for (std::size_t i = 0; i < slopes.size(); ++i) u.inputs[u.inputs.size() - slopes.size() + i].sensitivity = slopes[i];
  CombineInputs(u);
}

}  // namespace record
