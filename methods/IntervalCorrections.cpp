// Corrections of the road load to the reference conditions.
#include "methods/IntervalCorrections.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "common/NumberText.h"
#include "methods/IntervalTimes.h"

namespace {

// The runs of the pairs that count at some reference speed.
std::vector<const IntervalRun*> UsedRuns(const std::vector<IntervalRun>& runs, const std::vector<IntervalPair>& pairs) {
  std::vector<const IntervalRun*> used;
  for (const IntervalPair& pair : pairs) {
    if (std::none_of(pair.seconds.begin(), pair.seconds.end(), [](const auto& t) { return t.has_value(); })) continue;
    for (const IntervalRun& run : runs)
      if (run.number == pair.firstRun || run.number == pair.secondRun) used.push_back(&run);
  }
  return used;
}

// w1 = 3.6²·f2·vw², with vw the lower of the two headings' arithmetic mean
// along-track wind speeds (m/s): the part of the wind that opposite runs do
// not cancel, taken from f0 (4.5.3).
// `squaredKmh2` receives 3.6²·vw², w1 per unit of f2.
IntervalCorrection WindCorrection(double f2, const std::vector<const IntervalRun*>& used, double& squaredKmh2) {
  IntervalCorrection w1{"w1", std::nullopt, false, ""};
  squaredKmh2 = 0.0;
  if (used.empty()) {
    w1.note = "no pair of runs counts";
    return w1;
  }
  double sum[2] = {0.0, 0.0};
  int count[2] = {0, 0};
  for (const IntervalRun* run : used) {
    if (!run->alongTrackWindMs) {
      w1.note = "not applied: the wind along the track during " + RunName(run->number) + " was not given";
      return w1;
    }
    const int side = run->direction > 0 ? 0 : 1;
    sum[side] += std::fabs(*run->alongTrackWindMs);
    ++count[side];
  }
  const double windMs = std::min(sum[0] / count[0], sum[1] / count[1]);
  squaredKmh2 = regulation::kKmhPerMs * regulation::kKmhPerMs * windMs * windMs;
  w1.value = regulation::kKmhPerMs * regulation::kKmhPerMs * f2 * windMs * windMs;
  w1.applied = true;
  w1.note = "vw = " + FormatFixed(windMs, "0.000") + " m/s, the lower of the two headings' mean along-track wind";
  return w1;
}

}  // namespace

CorrectedRoadLoad CorrectRoadLoad(const RoadLoadCoefficients& atTest, const std::vector<IntervalRun>& runs,
                                  const std::vector<IntervalPair>& pairs, const IntervalConditions& conditions,
                                  const IntervalSettings& settings) {
  CorrectedRoadLoad result;
  if (!atTest.solved) return result;
  const double f0 = atTest.value[0];
  const double f1 = atTest.value[1];
  const double f2 = atTest.value[2];

  double windPerF2 = 0.0;
  IntervalCorrection w1 = WindCorrection(f2, UsedRuns(runs, pairs), windPerF2);

  IntervalCorrection k1{"K1", std::nullopt, false, ""};
  double massRatio = 1.0;  // TM/m_av
  if (conditions.testMassKg) {
    massRatio = *conditions.testMassKg / conditions.averageMassKg;
    k1.value = f0 * (1.0 - *conditions.testMassKg / conditions.averageMassKg);
    k1.applied = true;
    k1.note = "f0 moved from the mean mass " + FormatFixed(conditions.averageMassKg, "0.0") + " kg to the test mass " +
              FormatFixed(*conditions.testMassKg, "0.0") + " kg";
  } else {
    k1.note = "not applied: no test mass given, the road load is that of the mean mass " +
              FormatFixed(conditions.averageMassKg, "0.0") + " kg";
  }

  IntervalCorrection k0{"K0", settings.k0PerKelvin, false, ""};
  double rolling = 1.0;  // 1 + K0·(T − 20 °C)
  if (conditions.temperatureC) {
    rolling = 1.0 + settings.k0PerKelvin * (*conditions.temperatureC - settings.referenceTemperatureC);
    k0.applied = true;
    k0.note = "f0 and f1 multiplied by 1 + K0·(T − " + FormatFixed(settings.referenceTemperatureC, "0.0") +
              " °C) = " + FormatFixed(rolling, "0.000000");
  } else {
    k0.note = "not applied: no test temperature given";
  }

  IntervalCorrection k2{"K2", std::nullopt, false, ""};
  double air = 1.0;
  if (conditions.temperatureC && conditions.pressureKPa) {
    // The 293 K of (T/293 K)·(100 kPa/p) is the reference 20 °C, so that K2
    // is exactly 1 at the reference conditions.
    air = ((*conditions.temperatureC + 273.15) / (settings.referenceTemperatureC + 273.15)) *
          (settings.referencePressureKPa / *conditions.pressureKPa);
    k2.value = air;
    k2.applied = true;
    k2.note = "f2 corrected to " + FormatFixed(settings.referenceTemperatureC, "0.0") + " °C and " +
              FormatFixed(settings.referencePressureKPa, "0.00") + " kPa";
  } else {
    k2.note = std::string("not applied: no test ") + (conditions.temperatureC ? "pressure" : "temperature") + " given";
  }

  RoadLoadCoefficients& corrected = result.coefficients;
  corrected.solved = true;
  const double w1Value = w1.applied ? *w1.value : 0.0;
  const double k1Value = k1.applied ? *k1.value : 0.0;
  corrected.value[0] = (f0 - w1Value - k1Value) * rolling;
  corrected.value[1] = f1 * rolling;
  corrected.value[2] = air * f2;

  // The corrected coefficients are linear in f0, f1, f2: K1 is a share of f0
  // and w1 a multiple of f2.
  const double m[9] = {rolling * massRatio, 0.0, -rolling * windPerF2, 0.0, rolling, 0.0, 0.0, 0.0, air};
  if (atTest.averagingBias) {
    std::array<double, 3> bias{};
    for (std::size_t i = 0; i < 3; ++i)
      for (std::size_t k = 0; k < 3; ++k) bias[i] += m[i * 3 + k] * (*atTest.averagingBias)[k];
    corrected.averagingBias = bias;
  }
  if (atTest.covariance && atTest.studentT) {
    const std::array<double, 9>& c = *atTest.covariance;
    std::array<double, 9> out{};
    for (std::size_t i = 0; i < 3; ++i)
      for (std::size_t j = 0; j < 3; ++j) {
        double sum = 0.0;
        for (std::size_t k = 0; k < 3; ++k)
          for (std::size_t l = 0; l < 3; ++l) sum += m[i * 3 + k] * c[k * 3 + l] * m[j * 3 + l];
        out[i * 3 + j] = sum;
      }
    corrected.covariance = out;
    corrected.degreesOfFreedom = atTest.degreesOfFreedom;
    corrected.studentT = atTest.studentT;
    if (atTest.halfWidth && out[0] >= 0.0 && out[4] >= 0.0 && out[8] >= 0.0)
      corrected.halfWidth = std::array<double, 3>{*atTest.studentT * std::sqrt(out[0]),
                                                  *atTest.studentT * std::sqrt(out[4]),
                                                  *atTest.studentT * std::sqrt(out[8])};
  }
  result.corrections = {w1, k1, k0, k2};
  return result;
}
