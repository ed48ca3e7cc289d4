// The record's own results: residuals, uncertainty and the results in every unit.
#include "record/Results.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "common/UnitFactors.h"
#include "record/CalibrationUncertainty.h"
#include "record/FitStatistics.h"
#include "record/RoadLoad.h"

namespace record {

void DeriveResults(AnalysisRecord& record) {
  // The specified fit's, also where a method's results take their place.
  const FitRecord& fit = SpecifiedFit(record);
  if (!fit.completed) return;
  const std::array<double, 8>& c = fit.coefficients;

  // Forces and residuals of every DATA sample against the final model; the
  // statistics from the samples the final fit used.
  std::vector<FitSample> used;
  std::vector<std::size_t> usedAt;
  used.reserve(record.samples.size());
  usedAt.reserve(record.samples.size());
  FitNoise noise;
  noise.speedNoiseVariance = record.speedNoiseVariance;
  noise.massKg = record.weightN / kStandardGravity;
  for (std::size_t i = 0; i < record.samples.size(); ++i) {
    SampleRecord& s = record.samples[i];
    if (s.set != SetKind::Data) continue;
    s.force = record.weightN / kStandardGravity * s.deceleration;
    s.residual = s.force - ModelForce(c, s.speed, s.wind, s.yaw);
    if (s.status == SampleStatus::FilterOutlier || s.status == SampleStatus::NegativeDeceleration) {
      noise.dropped.push_back({s.speed, s.wind, s.yaw, s.force, s.run, s.time});
    }
    if (s.status == SampleStatus::Used) {
      used.push_back({s.speed, s.wind, s.yaw, s.force, s.run, s.time});
      usedAt.push_back(i);
    }
  }
  std::vector<double> residuals;
  const FitDesign design(used, record.AeroHeld(), record.cdAp);
  record.uncertainty = FitUncertainty(design, used, c, residuals, noise);
  AddCalibrationUncertainty(record, used, design);

  // Mean magnitude of the true wind the fit's samples met.
  double windSum = 0.0;
  for (std::size_t i : usedAt) {
    windSum += std::sqrt(record.samples[i].head * record.samples[i].head +
                         record.samples[i].cross * record.samples[i].cross);
  }
  if (!usedAt.empty()) record.meanWindSpeed = windSum / static_cast<double>(usedAt.size());
  CorrectedResults(record, fit);
}

void CorrectedResults(AnalysisRecord& record, const FitRecord& fit) {
  const std::array<double, 8>& c = fit.coefficients;
  if (!std::isfinite(record.mechFactor) || !std::isfinite(record.aeroFactor)) return;
  const UncertaintyRecord& u = record.uncertainty;
  const double mf = record.mechFactor;
  const double af = record.aeroFactor;
  const double ff = record.forceFactor;
  const double sf = record.speedFactor;
  const double sf2 = std::pow(sf, 2.0);
  const double rho = record.standardDensity;
  const double area = record.areaM2;
  const auto g = [](double m0, double m1, double m2, double a0) {
    return std::array<double, 8>{m0, m1, m2, a0, 0.0, 0.0, 0.0, 0.0};
  };
  ResultsRecord& r = record.results;
  r.available = true;
  // As the report writes them, in the report's order of operations.
  r.report = {
      LinearEstimate(u, c[0] * mf / ff * std::pow(sf, 0.0), g(mf / ff, 0, 0, 0), "Amech", "lbf"),
      LinearEstimate(u, c[1] * mf / ff * std::pow(sf, 1.0), g(0, mf / ff * sf, 0, 0), "Bmech", "lbf/mph"),
      LinearEstimate(u, c[2] * mf / ff * std::pow(sf, 2.0), g(0, 0, mf / ff * sf2, 0), "Cmech", "lbf/mph^2"),
      LinearEstimate(u, c[3] * af / ff * sf2, g(0, 0, 0, af / ff * sf2), "Caero", "lbf/mph^2"),
      LinearEstimate(u, (c[2] * mf + c[3] * af) / ff * sf2, g(0, 0, mf / ff * sf2, af / ff * sf2), "Ctotl",
                     "lbf/mph^2"),
      LinearEstimate(u, c[3] / (rho * 0.5 * area) * af, g(0, 0, 0, af / (rho * 0.5 * area)), "Cd", ""),
  };
  r.si = {
      LinearEstimate(u, c[0] * mf, g(mf, 0, 0, 0), "m0", "N"),
      LinearEstimate(u, c[1] * mf, g(0, mf, 0, 0), "m1", "N/(m/s)"),
      LinearEstimate(u, c[2] * mf, g(0, 0, mf, 0), "m2", "N/(m/s)^2"),
      LinearEstimate(u, c[3] * af, g(0, 0, 0, af), "a0", "N/(m/s)^2"),
  };
  r.roadLoad = {
      LinearEstimate(u, c[0] * mf, g(mf, 0, 0, 0), "f0", "N"),
      LinearEstimate(u, c[1] * mf / kKmhPerMs, g(0, mf / kKmhPerMs, 0, 0), "f1", "N/(km/h)"),
      LinearEstimate(u, (c[2] * mf + c[3] * af) / (kKmhPerMs * kKmhPerMs),
                     g(0, 0, mf / (kKmhPerMs * kKmhPerMs), af / (kKmhPerMs * kKmhPerMs)), "f2", "N/(km/h)^2"),
  };
  const Estimate& cd = r.report.back();
  Estimate cdA = LinearEstimate(u, cd.value * area, g(0, 0, 0, af / (rho * 0.5)), "CdA", "m^2");
  r.drag = {cd, cdA};

  // The still-air road load at 10, 20, … 70 mph and at the window's ends.
  std::vector<double> speeds = {10, 20, 30, 40, 50, 60, 70};
  for (const CommandField field : {CommandField::MinSpeed, CommandField::MaxSpeed}) {
    const double mph = record.FieldNumber(field);
    if (mph > 0.0 && mph < 1000.0 && std::find(speeds.begin(), speeds.end(), mph) == speeds.end()) {
      speeds.push_back(mph);
    }
  }
  std::sort(speeds.begin(), speeds.end());
  const StillAirRoadLoad load(record, fit);
  if (u.available) {
    for (double mph : speeds) {
      RoadLoadPoint point = load.At(mph * record.speedFactor);
      point.speedMph = mph;
      record.uncertainty.roadLoad.push_back(point);
    }
  }
}

}  // namespace record
