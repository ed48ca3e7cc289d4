// The anemometer's error model, the exact inverse of the analysis'
// correction, and its noise: the published generators bit for bit and
// normal deviates of the set size.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <optional>

#include "Anemometer.h"

namespace {

TEST(AnemometerTest, TheAnalysisCorrectionUndoesTheReadingExactly) {
  // The calibrated analysis corrects yaw first, then speed with the
  // corrected yaw: ψ = (Y − YawOffset)·Ky, u = (1 − k3·ψ²)·((Vr + 0.3 mph)·Ka),
  // with Ka = 1/gain and, unless set, Ky = Ka^−1.5 and k3 = (Ka − 1)·0.00053.
  const struct {
    double gain;
    std::optional<double> yawGain, loss;
  } cases[] = {{0.92, {}, {}}, {1.05, {}, {}}, {0.95, 1.1, 0.0001}};
  const double yawOffset = -3.25;  // the misalignment
  for (const auto& c : cases) {
    const sim::Anemometer anemometer({c.gain, -0.3, yawOffset, c.yawGain, c.loss, 0.0, 0.0});
    const double ka = 1.0 / c.gain, ky = c.yawGain ? 1.0 / *c.yawGain : 1.0 / std::pow(ka, 1.5);
    const double k3 = c.loss ? *c.loss : (ka - 1.0) * 0.00053;
    for (const sim::RelativeAir truth : {sim::RelativeAir{10.0, 0.0}, {25.0, 7.5}, {31.0, -18.0}, {8.0, 35.0}}) {
      const sim::AirReading r = anemometer.Ideal(truth);
      const double yaw = (r.yawDeg - yawOffset) * ky;
      EXPECT_NEAR(yaw, truth.yawDeg, 1e-9) << "gain " << c.gain;
      EXPECT_NEAR((1.0 - k3 * yaw * yaw) * ((r.speedMph * 0.44704 + 0.134112) * ka), truth.speed, 1e-9)
          << "gain " << c.gain << ", yaw " << truth.yawDeg;
    }
  }
}

TEST(AnemometerTest, NoiseHasTheSetSpreadAndNoCorrelation) {
  const sim::Anemometer anemometer({0.98, -0.3, 1.5, std::nullopt, std::nullopt, 0.5, 1.5});
  const sim::AirReading ideal = anemometer.Ideal({22.0, 4.0});
  sim::Random noise(8, 8);
  double ss = 0, yy = 0, sy = 0, vv = 0;
  const int n = 50000;
  for (int i = 0; i < n; ++i) {
    const sim::AirReading r = anemometer.Read({22.0, 4.0}, noise);
    const double s = r.speedMph - ideal.speedMph, y = r.yawDeg - ideal.yawDeg;
    const double v = sim::ReadVehicleSpeed(20.0, 0.05, noise) - 20.0 / 0.44704;
    ss += s * s, yy += y * y, sy += s * y, vv += v * v;
  }
  EXPECT_NEAR(std::sqrt(ss / n), 0.5, 0.01);
  EXPECT_NEAR(std::sqrt(yy / n), 1.5, 0.03);
  EXPECT_NEAR(sy / n / 0.75, 0.0, 0.02);  // the two halves of a Box-Muller pair
  EXPECT_NEAR(std::sqrt(vv / n), 0.05, 0.001);
}

TEST(RandomTest, GeneratorsMatchTheirReferenceSequences) {
  std::uint64_t state = 1234567;
  for (std::uint64_t e : {6457827717110365317ULL, 3203168211198807973ULL, 9817491932198370423ULL,
                          4593380528125082431ULL, 16408922859458223821ULL}) {
    EXPECT_EQ(sim::SplitMix64(state), e);
  }
  sim::Random xoshiro = sim::Random::FromState(1, 2, 3, 4);
  for (std::uint64_t e : {11520ULL, 0ULL, 1509978240ULL, 1215971899390074240ULL}) EXPECT_EQ(xoshiro.NextU64(), e);
}

}  // namespace
