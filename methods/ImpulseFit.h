// The impulse method: the equation of motion integrated over windows of
// every DATA run, (M + m_r)·∫w'·v dt = ∫w·F dt, with every term of the
// road-load model integrated over the same window from the same records,
// fitted by least squares; the yaw sensitivity from a yaw curve or from a
// prior combined with the data; intervals that allow for the correlation of
// overlapping windows. Results are at the test's own conditions.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "methods/ImpulseInput.h"
#include "methods/ImpulseWindow.h"
#include "common/LeastSquares.h"
#include "methods/YawPrior.h"

struct ImpulseOptions {
  WindowShape shape = WindowShape::Welch;
  // Window length, s; shorter where the median run lasts less than three
  // windows.
  double windowS = 20.0;
  double overlap = 0.5;  // share of a window its neighbour overlaps
  YawPrior prior;
  // Weigh each window by its modelled spread (θ0 + θ1·mean Vr²); off only
  // to show what it gains.
  bool weightRows = true;
  // Estimate the residuals' autocovariance unbiased for what the fit takes
  // out of them (else scaled by n/(n − p)); off only to show what it gains.
  bool unbiasedAutocovariance = true;
  // Only to show what it costs: treat the windows as independent, as if
  // neighbours shared no records.
  bool independentWindows = false;
};

enum class ImpulseModel {
  Aerodynamic,    // m0 + m1·v + m2·v² + Vr²·(a0 + a2·ψ² [+ a4·ψ⁴]) or Vr²·a0·c(ψ)
  TotalRoadLoad,  // f0 + f1·v + f2·v² in still-air terms
};

enum class WindowStatus {
  Used,
  YawOutsideCurve,  // a record's yaw lies beyond the yaw curve's table
  OutsideSpeedWindow,  // a record's speed lies outside the speed window (--limit-data)
};

struct ImpulseWindowResult {
  int run = 0;
  double startS = 0.0;  // from the run's first record
  double endS = 0.0;
  WindowStatus status = WindowStatus::Used;
  double impulseNs = 0.0;  // (M + m_r)·∫w'·v dt
  double fittedNs = 0.0;   // ∫w·F dt of the fitted model (NaN when not used)
};

struct ImpulseCoefficient {
  std::string name;  // m0 m1 m2 a0 a2 a4, or f0 f1 f2
  std::string unit;
  double value = 0.0;
  double standardError = 0.0;
  double low95 = 0.0;
  double high95 = 0.0;
  bool held = false;      // given, not fitted (a0 from a known Cd)
  int speedPower = -1;    // the power of v it adds to the still-air road load; -1 for none
  // A yaw term without a curve: its prior and the share of its variance the
  // prior kept (posterior variance / prior variance: near 1 the prior
  // decided, near 0 the data).
  std::optional<double> priorMean;
  std::optional<double> priorSd;
  std::optional<double> priorShare;
};

struct ImpulseRoadLoad {
  double speed = 0.0;  // m/s
  double force = 0.0;  // N
  double standardError = 0.0;
  double low95 = 0.0;
  double high95 = 0.0;
};

// How the coefficients move per unit of a RecordInput: the test refitted with
// its records moved as the input moves them, holding what the fit found of
// the windows' spread and correlation, so that only the coefficients move.
struct ImpulseInputSensitivity {
  std::string name;
  std::vector<double> slope;  // per coefficient, in the order of `coefficients` (0 for a held one)
};

struct ImpulseResult {
  bool solved = false;
  std::string whyNot;  // when not solved
  ImpulseModel model = ImpulseModel::Aerodynamic;
  WindowLayout layout;
  std::vector<ImpulseWindowResult> windows;
  std::size_t windowsUsed = 0;
  std::size_t windowsOutsideCurve = 0;
  std::size_t windowsOutsideSpeedWindow = 0;

  std::vector<ImpulseCoefficient> coefficients;
  std::vector<double> covariance;  // of `coefficients`, row-major (0 for held ones)
  // Of the windows' residuals divided by their modelled spread.
  Autocovariance residualAutocovariance;
  double residualSd = 0.0;  // N·s, of the residuals as they are
  // The modelled variance of a window's residual, θ0 + θ1·(mean Vr² of the
  // window): (N·s)² and (N·s)² per (m/s)².
  double spreadConstant = 0.0;
  double spreadPerSquareSpeed = 0.0;
  double degreesOfFreedom = 0.0;
  double t95 = 0.0;

  // The noise of single wind and yaw readings, estimated from the records;
  // their errors in the wind terms are taken out of the fit.
  double windNoiseSd = 0.0;  // m/s
  double yawNoiseSd = 0.0;   // degrees

  double yawP95Deg = 0.0;  // 95th percentile of |yaw| over the records of the used windows
  int yawTerms = 0;        // fitted yaw terms besides a0: 0, 1 (ψ²) or 2 (ψ², ψ⁴)

  // Cd = a0 / (½·ρ·A) at the test's density; not determined without an
  // anemometer (unless given) or when the data cannot separate it.
  bool cdDetermined = false;
  double cd = 0.0;
  double cdStandardError = 0.0;
  double cdLow95 = 0.0;
  double cdHigh95 = 0.0;
  double correlationM2A0 = 0.0;  // NaN when either is not fitted
  // |correlation of m2 and a0| above 0.99: still air, or a steady wind
  // straight across, leaves the two V² terms inseparable.
  bool aeroMechanicalInseparable = false;
  bool aeroLeftOpen = false;  // the 95 % interval of a0 holds 0
  // What the data left open or what was assumed, in the user's words.
  std::vector<std::string> notes;
  std::vector<ImpulseInputSensitivity> inputs;  // one per conditions.inputs

  const ImpulseCoefficient* Find(const std::string& name) const;
  // The still-air road load at vehicle speed `speed` m/s at the test's
  // conditions with its 95 % interval.
  ImpulseRoadLoad RoadLoadAt(double speed) const;
};

ImpulseResult FitImpulse(const std::vector<RunRecords>& runs, const ImpulseConditions& conditions,
                         const ImpulseOptions& options = {});
