// The anemometer's error model: readings as documented, defaults that the
// analysis' calibration model undoes exactly, and noise of the set size.
#include <gtest/gtest.h>

#include <cmath>

#include "Anemometer.h"
#include "Units.h"

namespace {

// The correction a calibrated coastdown analysis applies to a reading
// (speeds in m/s): yaw first, then speed with the corrected yaw.
sim::RelativeAir AnalysisCorrection(const sim::AirReading& r, double ka, double ky, double k3, double k4,
                                    double yawOffset) {
  const double yaw = (r.yawDeg - yawOffset) * ky;
  const double speed = (1.0 - k3 * yaw * yaw) * ((r.speedMph * 0.44704 + k4) * ka);
  return {speed, yaw};
}

TEST(AnemometerTest, ReadsThroughGainOffsetMisalignmentAndLoss) {
  sim::AnemometerConfig c;
  c.gain = 0.95;
  c.offsetMph = -0.3;
  c.misalignDeg = 2.0;
  c.yawGain = 1.1;
  c.lossPerDeg2 = 0.0001;
  const sim::Anemometer a(c);
  const sim::AirReading r = a.Ideal({20.0, 10.0});
  // 0.95 · 44.7387 mph / (1 − 0.0001·100) − 0.3 mph; 1.1 · 10 + 2 degrees.
  EXPECT_NEAR(r.speedMph, 42.63110055457944, 1e-9);
  EXPECT_NEAR(r.yawDeg, 13.0, 1e-12);
  // On the nose the loss vanishes and only the misalignment is left.
  const sim::AirReading nose = a.Ideal({20.0, 0.0});
  EXPECT_NEAR(nose.speedMph, 0.95 * 20.0 / 0.44704 - 0.3, 1e-9);
  EXPECT_NEAR(nose.yawDeg, 2.0, 1e-12);
}

TEST(AnemometerTest, UnsetYawGainAndLossFollowTheGainAsTheCalibrationCouplesThem) {
  sim::AnemometerConfig c;
  c.gain = 0.98;
  EXPECT_NEAR(c.EffectiveYawGain(), 1.0307679026042966, 1e-12);
  EXPECT_NEAR(c.EffectiveLoss(), 1.0816326530612256e-05, 1e-15);
  c.yawGain = 1.0;
  c.lossPerDeg2 = 0.0;
  EXPECT_EQ(c.EffectiveYawGain(), 1.0);
  EXPECT_EQ(c.EffectiveLoss(), 0.0);
}

TEST(AnemometerTest, CalibrationModelUndoesTheCoupledErrorsExactly) {
  for (double gain : {0.92, 0.98, 1.0, 1.05}) {
    sim::AnemometerConfig c;
    c.gain = gain;
    c.offsetMph = -0.3;
    c.misalignDeg = -3.25;
    const sim::Anemometer a(c);
    const double ka = 1.0 / gain;
    const double ky = 1.0 / std::pow(ka, 1.5);
    const double k3 = (ka - 1.0) * 0.00053;
    for (const sim::RelativeAir truth : {sim::RelativeAir{10.0, 0.0}, sim::RelativeAir{25.0, 7.5},
                                         sim::RelativeAir{31.0, -18.0}, sim::RelativeAir{8.0, 35.0}}) {
      const sim::RelativeAir back = AnalysisCorrection(a.Ideal(truth), ka, ky, k3, 0.134112, -3.25);
      EXPECT_NEAR(back.speed, truth.speed, 1e-9) << "gain " << gain << ", yaw " << truth.yawDeg;
      EXPECT_NEAR(back.yawDeg, truth.yawDeg, 1e-9) << "gain " << gain << ", yaw " << truth.yawDeg;
    }
  }
}

TEST(AnemometerTest, NoiseHasTheSetSpreadAroundTheIdealReading) {
  sim::AnemometerConfig c;
  c.speedNoiseMph = 0.5;
  c.yawNoiseDeg = 1.5;
  const sim::Anemometer a(c);
  const sim::RelativeAir air{22.0, 4.0};
  const sim::AirReading ideal = a.Ideal(air);
  sim::Random noise(8, 8);
  double ds = 0, dss = 0, dy = 0, dyy = 0, v = 0, vv = 0;
  const int n = 50000;
  for (int i = 0; i < n; ++i) {
    const sim::AirReading r = a.Read(air, noise);
    ds += r.speedMph - ideal.speedMph;
    dss += std::pow(r.speedMph - ideal.speedMph, 2);
    dy += r.yawDeg - ideal.yawDeg;
    dyy += std::pow(r.yawDeg - ideal.yawDeg, 2);
    const double speed = sim::ReadVehicleSpeed(20.0, 0.05, noise);
    v += speed - 20.0 / 0.44704;
    vv += std::pow(speed - 20.0 / 0.44704, 2);
  }
  EXPECT_NEAR(ds / n, 0.0, 0.01);
  EXPECT_NEAR(std::sqrt(dss / n), 0.5, 0.01);
  EXPECT_NEAR(dy / n, 0.0, 0.03);
  EXPECT_NEAR(std::sqrt(dyy / n), 1.5, 0.03);
  EXPECT_NEAR(v / n, 0.0, 0.002);
  EXPECT_NEAR(std::sqrt(vv / n), 0.05, 0.001);
}

TEST(AnemometerTest, NoNoiseMeansTheIdealReading) {
  sim::AnemometerConfig c;
  c.speedNoiseMph = 0.0;
  c.yawNoiseDeg = 0.0;
  const sim::Anemometer a(c);
  sim::Random noise(1, 1);
  const sim::AirReading r = a.Read({15.0, -6.0}, noise);
  EXPECT_EQ(r.speedMph, a.Ideal({15.0, -6.0}).speedMph);
  EXPECT_EQ(r.yawDeg, a.Ideal({15.0, -6.0}).yawDeg);
}

}  // namespace
