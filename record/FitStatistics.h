// How sure the final fit is: its standard errors, confidence intervals and
// correlations, from its own design matrix and residuals and from the
// uncertainty of what its samples were formed with (the anemometer's
// calibration, the ZERO yaw offset). Computed apart from the solver, by
// Householder QR, so that a fit whose normal equations are nearly singular
// still gets honest numbers.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "common/LeastSquares.h"
#include "record/AnalysisRecord.h"

namespace record {

// One sample of the final fit.
struct FitSample {
  double V;       // m/s
  double Vr;      // m/s
  double Y;       // degrees
  double F;       // N
  int run = 0;    // samples of one run one second apart are neighbours;
  int time = 0;   // run 0 has none
};

// What the record knows of the noise besides the final fit's residuals.
struct FitNoise {
  // (m/s)² per record of the speed sensor, from the DATA records; NaN when
  // unknown, and then the residuals' correlation is taken as it comes.
  double speedNoiseVariance = kNone;
  double massKg = kNone;  // the speed noise enters each force times the test mass
  // Samples the fit left out for their deceleration (outliers of the
  // filter, negative decelerations), with their forces.
  std::vector<FitSample> dropped;
};

// The design matrix of a fit's samples (its fitted terms column by column:
// all eight, or all but a0 when `constrained` holds it at `cdAp`), the
// forces those terms explain, and their least-squares solution by QR:
// formed once for the fit's statistics and for its sensitivities.
struct FitDesign {
  FitDesign(const std::vector<FitSample>& samples, bool constrained, double cdAp);
  bool constrained;
  double cdAp;
  std::vector<int> fitted;  // the model's term of each column
  std::size_t n;            // samples
  std::size_t p;            // columns
  std::vector<double> a;    // n × p, column j at j·n
  std::vector<double> y;
  LeastSquaresSolution qr;
};

// The statistics of a fit of `samples` with the coefficients the solver
// delivered (m0 m1 m2 a0 … a4). With `constrained` (the constrained fit), a0
// is held at `cdAp` and seven coefficients are fitted to F − cdAp·Vr².
// `residuals` receives F minus the model for each sample.
//
// The residuals of one run are not independent, and they go together in
// two opposite ways. The speed sensor's noise enters a deceleration as the
// difference of the trapezoidal means of the second before and the second
// after, so neighbours share it with opposite signs and its sum over a run
// cancels but for the run's ends: that share is modelled exactly from the
// noise the DATA records show. A force from the road or the wind lasts
// beyond one second and adds up instead: that share is taken by its
// long-run variance, from the spread of sums of ten neighbouring
// residuals. The covariance is the least-squares sandwich of the two.
UncertaintyRecord FitUncertainty(const std::vector<FitSample>& samples, const std::array<double, 8>& coefficients,
                                 bool constrained, double cdAp, std::vector<double>& residuals,
                                 const FitNoise& noise = {});
// The same with the samples' design already formed.
UncertaintyRecord FitUncertainty(const FitDesign& design, const std::vector<FitSample>& samples,
                                 const std::array<double, 8>& coefficients, std::vector<double>& residuals,
                                 const FitNoise& noise = {});

// An input quantity of the samples: where every sample stands when the
// quantity moves by `delta` (all at once, so that what one step of the
// quantity shares is formed once), and the step over which that move is
// differenced.
struct SampleInput {
  double step = 0.0;
  std::function<void(const std::vector<FitSample>& samples, double delta, std::vector<FitSample>& moved)> move;
};

// An input whose move of a sample depends on that sample alone.
template <typename MoveOne>
SampleInput EachSample(double step, MoveOne moveOne) {
  return {step, [moveOne](const std::vector<FitSample>& samples, double delta, std::vector<FitSample>& moved) {
            moved.resize(samples.size());
            for (std::size_t k = 0; k < samples.size(); ++k) moved[k] = moveOne(samples[k], delta);
          }};
}

// How the refitted coefficients move per unit of each input: the first-order
// change of the least-squares solution, (XᵀX)⁻¹·(dXᵀ·r + Xᵀ·(dy − dX·b)),
// with dX and dy the central differences of the design matrix and of the
// forces over ±step of the input. The fit's own factorisation serves every
// input, where refitting the moved samples would factorise it twice for
// each.
std::vector<std::array<double, 8>> Sensitivities(const FitDesign& design, const std::vector<FitSample>& samples,
                                                 const std::vector<SampleInput>& inputs);

// Takes `fit.inputs` into the coefficients' standard errors, intervals and
// correlations.
void CombineInputs(UncertaintyRecord& fit);

// `value`, a quantity that is g · (the coefficients m0 m1 m2 a0 … a4), with
// its standard uncertainty, its components and 95 % interval (a held a0
// counts as exact). The value is passed as the analysis forms it, so that
// it is that value to the last bit.
Estimate LinearEstimate(const UncertaintyRecord& fit, double value, const std::array<double, 8>& g,
                        const std::string& name, const std::string& unit);

// The two-sided quantile of Student's t with `dof` degrees of freedom:
// P(|T| <= t) = probability.
double StudentTQuantile(double probability, long dof);

}  // namespace record
