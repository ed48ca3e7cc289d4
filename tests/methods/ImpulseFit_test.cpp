// The impulse method on coasts integrated here from a known force and wind,
// read without noise: every model recovers its coefficients to what the
// records' sampling leaves, and says what a test cannot tell.
#include "methods/ImpulseFit.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kDegree = kPi / 180.0;

// The vehicle and the air of a synthetic test, SI.
struct Truth {
  double mass = 1588.0;
  double rotatingMass = 0.0;  // in the physics; the conditions may give it or not
  double m0 = 133.0;
  double m1 = 2.5;
  double m2 = 0.045;
  double a0 = 0.40;
  double k = 0.0008;  // Cd(ψ) = Cd0·(1 + k·ψ²), ψ in degrees
  double density = 1.2;
  double area = 2.09;
  // The ground wind (x along the odd runs' heading, y to their left) at test time t.
  std::function<void(double t, double& x, double& y)> wind = [](double, double& x, double& y) { x = y = 0.0; };
  double Cd() const { return a0 / (0.5 * density * area); }
  double RoadLoad(double v) const { return m0 + m1 * v + (m2 + a0) * v * v; }
};

// The air a run of heading `direction` meets at speed v: relative speed and
// yaw from the right, as the simulator forms them.
void RelativeAir(const Truth& truth, double t, double v, int direction, double& u, double& yaw) {
  double x = 0.0;
  double y = 0.0;
  truth.wind(t, x, y);
  const double ahead = -direction * (x - direction * v);
  const double right = direction * y;
  u = std::hypot(ahead, right);
  yaw = std::atan2(right, ahead) / kDegree;
}

// `runs` coastdowns from 31 to 7 m/s in alternating directions, integrated
// by RK4 at 1 ms and recorded at `rate`.
std::vector<RunRecords> Coast(const Truth& truth, int runs = 6, double rate = 5.0) {
  std::vector<RunRecords> out;
  double clock = 0.0;
  for (int run = 1; run <= runs; ++run) {
    RunRecords r;
    r.run = run;
    r.direction = run % 2 == 1 ? 1 : -1;
    r.rateHz = rate;
    const auto slowing = [&](double t, double v) {
      double u = 0.0;
      double yaw = 0.0;
      RelativeAir(truth, t, v, r.direction, u, yaw);
      const double force =
          truth.m0 + truth.m1 * v + truth.m2 * v * v + truth.a0 * (1.0 + truth.k * yaw * yaw) * u * u;
      return -force / (truth.mass + truth.rotatingMass);
    };
    double v = 31.0;
    const int substeps = static_cast<int>(std::lround(1000.0 / rate));
    const double h = 1.0 / rate / substeps;
    for (long i = 0; v > 7.0; ++i) {
      double u = 0.0;
      double yaw = 0.0;
      const double t = clock + static_cast<double>(i) / rate;
      RelativeAir(truth, t, v, r.direction, u, yaw);
      r.speed.push_back(v);
      r.wind.push_back(u);
      r.yaw.push_back(yaw);
      for (int s = 0; s < substeps; ++s) {
        const double ts = t + s * h;
        const double k1 = slowing(ts, v);
        const double k2 = slowing(ts + h / 2, v + h / 2 * k1);
        const double k3 = slowing(ts + h / 2, v + h / 2 * k2);
        const double k4 = slowing(ts + h, v + h * k3);
        v += h / 6 * (k1 + 2 * k2 + 2 * k3 + k4);
      }
    }
    clock += static_cast<double>(r.speed.size()) / rate + 60.0;
    out.push_back(r);
  }
  return out;
}

// The vehicle and air of `truth` added to `c`; its rotating mass is left to
// `c`, as a test's conditions may leave it out.
// The vehicle and air of `truth`; a test that gives the rotating mass adds it.
ImpulseConditions ConditionsOf(const Truth& truth) {
  ImpulseConditions c;
  c.airDensity = truth.density;
  c.massKg = truth.mass;
  c.areaM2 = truth.area;
  return c;
}

// A wind of 3 m/s from 30° that gusts along and across, slowly enough for
// records five times a second.
void GustyWind(double t, double& x, double& y) {
  const double from = 30.0 * kDegree;
  x = -3.0 * std::cos(from) + 1.0 * std::sin(2 * kPi * t / 9.0) + 0.6 * std::sin(2 * kPi * t / 23.0 + 1.0);
  y = 3.0 * std::sin(from) + 0.8 * std::sin(2 * kPi * t / 13.0 + 2.0) + 0.5 * std::sin(2 * kPi * t / 31.0);
}

// The truth in that wind.
Truth Gusty() {
  Truth truth;
  truth.wind = GustyWind;
  return truth;
}

YawCurve QuadraticCurve(double k) {
  std::vector<YawCurve::Point> points;
  for (int i = 0; i <= 240; ++i) points.emplace_back(i * 0.125, 1.0 + k * (i * 0.125) * (i * 0.125));
  return YawCurve::FromPoints(points);
}

// The records with the noise of real sensors (0.01 m/s, 0.05 m/s and 0.2°):
// white, normal, the same draws every time.
std::vector<RunRecords> Noisy(std::vector<RunRecords> runs) {
  std::mt19937 random(7);
  std::normal_distribution<double> normal;
  for (RunRecords& r : runs) {
    for (std::size_t i = 0; i < r.speed.size(); ++i) {
      r.speed[i] += 0.01 * normal(random);
      r.wind[i] += 0.05 * normal(random);
      r.yaw[i] += 0.2 * normal(random);
    }
  }
  return runs;
}

double Value(const ImpulseResult& r, const std::string& name) {
  const ImpulseCoefficient* c = r.Find(name);
  return c == nullptr ? NAN : c->value;
}

bool HasNote(const ImpulseResult& r, const std::string& text) {
  for (const std::string& note : r.notes) {
    if (note.find(text) != std::string::npos) return true;
  }
  return false;
}

// Every model on records without noise: the coefficients it fits and the
// still-air road load come back to what sampling at the record rate leaves.
TEST(ImpulseFitTest, ExactCoastsGiveBackTheirRoadLoad) {
  struct Row {
    std::string name;
    void (*wind)(double t, double& x, double& y) = GustyWind;  // none: still air
    bool curve = false;                                        // the true yaw curve given
    bool knownCd = false;
    double rate = 5.0;
    double boxWindowS = 0.0;  // box windows of this length; 0: the default windows
    double rotatingMass = 0.0;
    bool anemometer = true;  // false: the wind columns empty, the total road load fitted
    bool trackWind = false;  // the wind measured beside the track given
  };
  const Row rows[] = {
      {.name = "gusty wind, yaw prior"},
      {.name = "gusty wind, yaw curve", .curve = true},
      {.name = "gusty wind, curve and known Cd", .curve = true, .knownCd = true},
      {.name = "gusty wind at 10 Hz", .rate = 10.0},
      {.name = "gusty wind, box windows", .boxWindowS = 5.0},
      {.name = "rotating mass given", .rotatingMass = 50.0},
      {.name = "no anemometer, still air", .wind = nullptr, .anemometer = false},
      {.name = "no anemometer, wind along the track given, known Cd",
       .wind = [](double, double& x, double& y) { x = -2.5, y = 0.0; },
       .knownCd = true,
       .anemometer = false,
       .trackWind = true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Truth truth;
    if (row.wind != nullptr) truth.wind = row.wind;
    truth.rotatingMass = row.rotatingMass;
    ImpulseConditions conditions = ConditionsOf(truth);
    conditions.rotatingMassKg = row.rotatingMass;
    if (row.curve) conditions.yawCurve = QuadraticCurve(truth.k);
    if (row.knownCd) conditions.knownCd = truth.Cd();
    conditions.anemometer = row.anemometer;
    if (row.trackWind) conditions.trackWind.assign(6, TrackWind{2.5, 0.0});
    ImpulseOptions options;
    if (row.boxWindowS > 0.0) options.shape = WindowShape::Box, options.windowS = row.boxWindowS;
    std::vector<RunRecords> runs = Coast(truth, 6, row.rate);
    if (!row.anemometer) {
      for (RunRecords& r : runs) r.wind.assign(r.wind.size(), 0.0), r.yaw.assign(r.yaw.size(), 0.0);
    }
    const ImpulseResult result = FitImpulse(runs, conditions, options);
    ASSERT_TRUE(result.solved) << result.whyNot;
    EXPECT_EQ(result.model, row.anemometer ? ImpulseModel::Aerodynamic : ImpulseModel::TotalRoadLoad);
    const double scale = truth.RoadLoad(20.0);  // N
    if (row.anemometer) {
      EXPECT_NEAR(Value(result, "m0"), truth.m0, 2e-4 * scale);
      EXPECT_NEAR(Value(result, "m1") * 20.0, truth.m1 * 20.0, 2e-4 * scale);
      EXPECT_NEAR(Value(result, "m2") * 400.0, truth.m2 * 400.0, 2e-4 * scale);
      EXPECT_NEAR(Value(result, "a0") * 400.0, truth.a0 * 400.0, 2e-4 * scale);
      EXPECT_NEAR(result.cd, truth.Cd(), 2e-4 * truth.Cd());
    } else {
      EXPECT_NEAR(Value(result, "f0"), truth.m0, 2e-4 * scale);
      EXPECT_NEAR(Value(result, "f1") * 20.0, truth.m1 * 20.0, 2e-4 * scale);
      EXPECT_NEAR(Value(result, "f2") * 400.0, (truth.m2 + truth.a0) * 400.0, 2e-4 * scale);
    }
    for (const double v : {9.0, 18.0, 27.0}) {
      const ImpulseRoadLoad load = result.RoadLoadAt(v);
      EXPECT_NEAR(load.force, truth.RoadLoad(v), 1e-4 * truth.RoadLoad(v)) << v << " m/s";
      EXPECT_LE(load.low95, load.force);
      EXPECT_GE(load.high95, load.force);
    }
  }
}

// With a gusting wind the data fix the yaw term; with a steady wind every
// run of a direction meets the same yaw at the same speed, the yaw term is
// all but a constant force, and the prior decides it.
TEST(ImpulseFitTest, TheDataDecideTheYawTermWhereTheWindVariesAndThePriorWhereItIsSteady) {
  const Truth gusty = Gusty();
  const ImpulseResult fromData = FitImpulse(Noisy(Coast(gusty)), ConditionsOf(gusty));
  ASSERT_TRUE(fromData.solved);
  const ImpulseCoefficient* a2 = fromData.Find("a2");
  ASSERT_NE(a2, nullptr);
  ASSERT_TRUE(a2->priorShare.has_value());
  EXPECT_LT(*a2->priorShare, 0.01);
  EXPECT_NEAR(a2->value, gusty.a0 * gusty.k, 4.0 * a2->standardError);

  Truth steady;
  steady.wind = [](double, double& x, double& y) { x = -1.5, y = 2.0; };
  const ImpulseResult fromPrior = FitImpulse(Noisy(Coast(steady)), ConditionsOf(steady));
  ASSERT_TRUE(fromPrior.solved);
  const ImpulseCoefficient* held = fromPrior.Find("a2");
  ASSERT_NE(held, nullptr);
  EXPECT_GT(*held->priorShare, 0.9);
  // The prior's spread reaches the road load: its interval is wider than
  // the gusty test's by far.
  EXPECT_GT(fromPrior.RoadLoadAt(9.0).standardError, 10.0 * fromData.RoadLoadAt(9.0).standardError);
}

// A steady wind straight across: the yaw is a function of the speed alone,
// and with it the aerodynamic force. Without noise and with a flat yaw curve
// the relative air is v² + c², the aerodynamic term exactly one of the
// mechanical ones (the wind's part of the constant is the rolling
// resistance's); with noise and the true curve all that tells them apart is
// the curve's small departure from a quadratic in v, below the noise of the
// readings. The method says so; given CD as well it has the road load.
TEST(ImpulseFitTest, ASteadyCrosswindLeavesTheTwoSquareTermsInseparableAndSaysSo) {
  for (const bool noisy : {false, true}) {
    SCOPED_TRACE(noisy ? "noisy readings, true curve" : "exact readings, flat curve");
    Truth truth;
    truth.wind = [noisy](double, double& x, double& y) { x = 0.0, y = noisy ? 4.0 : 2.0; };
    ImpulseConditions conditions = ConditionsOf(truth);
    conditions.yawCurve = QuadraticCurve(noisy ? truth.k : 0.0);
    const std::vector<RunRecords> runs = noisy ? Noisy(Coast(truth)) : Coast(truth);
    const ImpulseResult curveOnly = FitImpulse(runs, conditions);
    EXPECT_FALSE(curveOnly.solved);
    EXPECT_NE(curveOnly.whyNot.find("steady wind straight across the track); give CD"), std::string::npos)
        << curveOnly.whyNot;
    if (!noisy) continue;
    conditions.knownCd = truth.Cd();
    const ImpulseResult withCd = FitImpulse(runs, conditions);
    ASSERT_TRUE(withCd.solved) << withCd.whyNot;
    const ImpulseRoadLoad load = withCd.RoadLoadAt(9.0);
    EXPECT_NEAR(load.force, truth.RoadLoad(9.0), 3.0 * load.standardError);
    EXPECT_LT(load.standardError, 0.005 * load.force);
  }
}

// Still air leaves the relative wind the speed itself: with an anemometer
// the method falls back to the total road load and says Cd is not known.
TEST(ImpulseFitTest, StillAirWithAnAnemometerFitsTheTotalRoadLoad) {
  const Truth truth;
  std::vector<RunRecords> runs = Coast(truth);
  const ImpulseResult result = FitImpulse(runs, ConditionsOf(truth));
  ASSERT_TRUE(result.solved);
  EXPECT_EQ(result.model, ImpulseModel::TotalRoadLoad);
  EXPECT_FALSE(result.cdDetermined);
  EXPECT_TRUE(HasNote(result, "cannot be separated"));
  EXPECT_NEAR(result.RoadLoadAt(18.0).force, truth.RoadLoad(18.0), 1e-4 * truth.RoadLoad(18.0));
}

// A yaw the curve's table does not reach has no drag to fit: those windows
// are counted, not fitted, and a note says so.
TEST(ImpulseFitTest, WindowsThatMeetAYawBeyondTheCurveAreLeftOut) {
  Truth truth = Gusty();
  ImpulseConditions conditions = ConditionsOf(truth);
  conditions.yawCurve = YawCurve::FromPoints({{0.0, 1.0}, {5.0, 1.02}, {10.0, 1.08}});
  const ImpulseResult result = FitImpulse(Coast(truth), conditions);
  ASSERT_TRUE(result.solved);
  EXPECT_GT(result.windowsOutsideCurve, 0u);
  EXPECT_EQ(result.windowsUsed + result.windowsOutsideCurve, result.windows.size());
  std::size_t outside = 0;
  for (const ImpulseWindowResult& w : result.windows) {
    outside += w.status == WindowStatus::YawOutsideCurve;
    EXPECT_EQ(std::isnan(w.fittedNs), w.status == WindowStatus::YawOutsideCurve);
  }
  EXPECT_EQ(outside, result.windowsOutsideCurve);
  EXPECT_TRUE(HasNote(result, "beyond the yaw curve's table (-10.0 to 10.0 deg)"));
}

// One run of five records gives three windows for five terms.
TEST(ImpulseFitTest, ATestTooShortForItsTermsSaysSo) {
  const Truth gusty = Gusty();
  std::vector<RunRecords> runs = Coast(gusty, 1);
  runs[0].speed.resize(5);
  runs[0].wind.resize(5);
  runs[0].yaw.resize(5);
  const ImpulseResult tooShort = FitImpulse(runs, ConditionsOf(gusty));
  EXPECT_FALSE(tooShort.solved);
  EXPECT_NE(tooShort.whyNot.find("too few windows: 3 for 5 coefficients"), std::string::npos) << tooShort.whyNot;
}

// Loggers without an anemometer leave the column 0 or copy the speed there;
// one reading off either is an anemometer.
TEST(ImpulseFitTest, AWindColumnOfZerosOrOfTheSpeedIsNoAnemometer) {
  RunRecords r;
  r.speed = {30.0, 29.0, 28.0};
  const std::pair<std::vector<double>, bool> rows[] = {
      {{0.0, 0.0, 0.0}, false},
      {{30.0, 29.0, 28.0}, false},
      {{31.5, 29.0, 28.0}, true},
      {{0.0, 0.0, 0.1}, true},
  };
  for (const auto& [wind, held] : rows) {
    r.wind = wind;
    r.yaw.assign(3, 0.0);
    EXPECT_EQ(RecordsHoldAnemometer({r}), held) << wind[0] << " " << wind[2];
  }
}

// How the result moves with a calibrated quantity, taken from the windows
// refitted with everything but the coefficients held, against the whole
// method run again on records moved by the quantity. A gain on the wind
// reading and an offset on the yaw reading, with and without a yaw curve.
TEST(ImpulseFitTest, TheSlopeOfEachInputIsThatOfTheWholeMethodRunAgain) {
  const Truth gusty = Gusty();
  const std::vector<RunRecords> runs = Noisy(Coast(gusty));
  const RecordInput gain{"gain", 1e-3, [](double& wind, double&, double delta) { wind *= 1.0 + delta; }};
  const RecordInput offset{"offset", 0.01, [](double&, double& yaw, double delta) { yaw -= delta; }};
  for (const bool curve : {false, true}) {
    SCOPED_TRACE(curve ? "with the yaw curve" : "with the yaw prior");
    ImpulseConditions conditions = ConditionsOf(gusty);
    if (curve) conditions.yawCurve = QuadraticCurve(gusty.k);
    conditions.inputs = {gain, offset};
    const ImpulseResult result = FitImpulse(runs, conditions);
    ASSERT_TRUE(result.solved) << result.whyNot;
    ASSERT_EQ(result.inputs.size(), 2u);
    for (std::size_t k = 0; k < 2; ++k) {
      const RecordInput& input = conditions.inputs[k];
      SCOPED_TRACE(input.name);
      std::array<ImpulseResult, 2> moved;
      for (std::size_t side = 0; side < 2; ++side) {
        std::vector<RunRecords> changed = runs;
        for (RunRecords& r : changed) {
          for (std::size_t i = 0; i < r.wind.size(); ++i) input.move(r.wind[i], r.yaw[i], side == 0 ? 10 * input.step : -10 * input.step);
        }
        ImpulseConditions plain = conditions;
        plain.inputs.clear();
        moved[side] = FitImpulse(changed, plain);
        ASSERT_TRUE(moved[side].solved);
      }
      for (std::size_t j = 0; j < result.coefficients.size(); ++j) {
        const double whole =
            (moved[0].coefficients[j].value - moved[1].coefficients[j].value) / (20.0 * input.step);
        // Where the slope matters at all: beside the coefficient's own error.
        const double size = std::max(std::fabs(whole), 0.1 * result.coefficients[j].standardError / input.step);
        EXPECT_NEAR(result.inputs[k].slope[j], whole, 0.05 * size) << result.coefficients[j].name;
      }
    }
  }
}

// With --limit-data the windows that leave the speed window are not fitted.
TEST(ImpulseFitTest, WindowsOutsideTheSpeedWindowAreLeftOut) {
  const Truth gusty = Gusty();
  ImpulseConditions conditions = ConditionsOf(gusty);
  conditions.speedWindow = std::make_pair(10.0, 28.0);
  const ImpulseResult result = FitImpulse(Coast(gusty), conditions);
  ASSERT_TRUE(result.solved);
  EXPECT_GT(result.windowsOutsideSpeedWindow, 0u);
  EXPECT_EQ(result.windowsUsed + result.windowsOutsideSpeedWindow, result.windows.size());
  for (const ImpulseWindowResult& w : result.windows) {
    EXPECT_EQ(std::isnan(w.fittedNs), w.status == WindowStatus::OutsideSpeedWindow);
  }
  EXPECT_NEAR(result.RoadLoadAt(20.0).force, gusty.RoadLoad(20.0), 1e-3 * gusty.RoadLoad(20.0));
  EXPECT_TRUE(HasNote(result, "outside the speed window (--limit-data)"));
}

}  // namespace
