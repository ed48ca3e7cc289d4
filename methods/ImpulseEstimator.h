// The impulse method's estimator: the design of the windows' rows, and the
// coefficients with their covariance from the data, the errors of the wind
// and yaw readings taken out, and the yaw priors.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "methods/ImpulseIntegrals.h"
#include "common/LeastSquares.h"
#include "methods/YawPrior.h"

namespace impulse {

// The prior a column carries: none, the ψ² or the ψ⁴ yaw term.
enum class Prior { None, Yaw2, Yaw4 };

struct Column {
  std::string name;
  std::string unit;
  int speedPower = -1;
  Quantity quantity = kOne;
  // A second quantity added with a factor: the a0 column with the prior's
  // yaw growth folded in, before the yaw terms are fitted.
  Quantity plus = kOne;
  double plusFactor = 0.0;
  Prior prior = Prior::None;
};

// y ≈ X·b over the used windows, rows in run order.
struct Design {
  std::size_t n = 0;
  std::size_t p = 0;
  std::vector<double> x;  // column by column
  std::vector<double> y;
  // The run of every row (from 1) and its place in the run: the layout of
  // rows the shared estimator of the residuals' correlation takes.
  std::vector<long> group;
  std::vector<long> position;
  // Errors in the columns: E[XᵀX] = X₀ᵀX₀ + N with N the sum of every row's
  // covariance of its column errors (p × p each), and the covariance of
  // those errors with the errors of what moved into the impulse (p each).
  std::vector<double> rowNoise;
  std::vector<double> rowOffsetNoise;
};

struct PriorRow {
  std::size_t column = 0;
  double mean = 0.0;
  double sd = 0.0;
};

// A column's value in a window's row.
double ColumnValue(const Column& c, const WindowIntegrals& w);

// The rows of the used windows for the columns; `offsets` are held terms
// (a factor times a quantity) moved into the impulse.
Design MakeDesign(const std::vector<const WindowIntegrals*>& rows, const std::vector<Column>& columns,
                  const std::vector<std::pair<Quantity, double>>& offsets);

// Every row divided by its spread.
Design Weighted(const Design& d, const std::vector<double>& scale);

// The fitted coefficients and their covariance for one choice of columns.
struct Estimate {
  bool solved = false;
  std::size_t failedColumn = 0;
  std::vector<double> beta;
  std::vector<double> covariance;
  std::vector<double> residuals;
  Autocovariance acv;
  std::vector<PriorRow> priors;
};

// The a0 the yaw priors scale with is held to that of a drag coefficient
// between these (the range of road vehicles the cd_range check uses), so
// that a test that leaves a0 open cannot make the priors meaningless.
struct PriorScale {
  double lowestA0 = 0.0;
  double highestA0 = 0.0;
};

// The coefficients from the data and the yaw priors.
//
// The data alone give the corrected normal equations A·b = r with
// A = XᵀX − N (N: what the noise of the wind and yaw readings adds to XᵀX,
// which would pull a term the data know little of towards 0 while the fit
// looks sure of it) and r = Xᵀy + c. Their estimate has the covariance
// A⁻¹·M·A⁻¹ with M = XᵀΩX from the residuals' autocovariance within runs,
// so the data's information is J = A·M⁻¹·A. The priors add theirs, P: the
// coefficients are (J + P)⁻¹·(A·M⁻¹·r + P·mean) with covariance (J + P)⁻¹.
// Where the data know nothing of a yaw term its prior decides, and where the
// wind varies the data do. Iterated, because Ω comes from the residuals and
// the priors scale with a0. All in columns scaled to unit length. With
// `heldCorrelation` the residuals' autocovariance is that one instead of
// their own (a refit of the same test with its records moved a little).
Estimate Fit(const Design& d, const std::vector<Column>& columns, std::optional<std::size_t> a0Column,
             std::optional<double> heldA0, const YawPrior& prior, const PriorScale& priorScale, std::size_t lag,
             bool hatCorrected = true, const Autocovariance* heldCorrelation = nullptr);

}  // namespace impulse
