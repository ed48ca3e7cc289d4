// The normal matrix, the outlier test and the report section of the road-load solvers.
#include "solvers/SolverSteps.h"

#include <cstddef>
#include <vector>

#include "common/NumberText.h"
#include "common/TextFile.h"
#include "data/CDataCol.h"
#include "data/CMeasurement.h"
#include "solvers/FitObserver.h"

BoundedMatrix<Real> NormalMatrix(const BoundedMatrix<Real>& x, Int16 size, Int16 num) {
  BoundedMatrix<Real> A(1, num.value(), 1, num.value());
  for (Int16 i = 1; i <= num; ++i) {
    for (Int16 j = 1; j <= i; ++j) {
      Real s = 0.0;
      for (int k = 1; k <= size.value(); ++k) s = s + x(i - 1, k) * x(j - 1, k);
      A(i, j) = s;
      A(j, i) = s;
    }
  }
  return A;
}

void RejectOutliers(CDataCol& data, const BoundedArray<Real>& F, const BoundedArray<Real>& sol, Int16 mech_order,
                    Int16 air_order, std::optional<Real> CdAp, FitObserver* observer) {
  Int16 count = 0;
  Real total = 0.0;
  BoundedArray<Real> residual(0, data.Count());
  std::vector<CMeasurement*> source;  // the sample that gave each residual
  for (CMeasurement& sample : data) {
    if (sample.nRun <= 0) continue;
    count = count + 1;
    Real force = F(count);
    if (CdAp) force = force + *CdAp * Pow(sample.dWindSpeed, 2.0);
    const Real mechanical = sample.MechDrag(mech_order, sol);
    const Real model = mechanical + sample.Drag(air_order, sol, mech_order + 1);
    residual(count) = force - model;
    total = total + residual(count);
    source.push_back(&sample);
  }
  const Real mean = total / Real(count);
  Real S = 0.0;
  for (int i = 1; i <= count.value(); ++i) S = S + Pow(residual(i) - mean, 2.0);
  const Real sd = Sqrt(S / Real(count - 1));
  if (observer != nullptr) {
    std::vector<double> residuals;
    residuals.reserve(source.size());
    for (int i = 1; i <= count.value(); ++i) residuals.push_back(residual(i).value());
    observer->OnOutlierTest(residuals, source, mean.value(), sd.value());
  }
  // One pass only, and a residual exactly 3 sd out is excluded.
  for (int i = 1; i <= count.value(); ++i) {
    if (Abs(residual(i) - mean) >= Real(3.0) * sd) source[static_cast<std::size_t>(i - 1)]->nRun = -1;
  }
}

void AppendSolverSection(const std::string& sFile, const std::string& name, Int16 mech_order, Int16 air_order) {
  TextFile file(sFile, WriteMode::Append);
  file.WriteLine("SOLVER INFORMATION");
  file.WriteLine(name);
  file.WriteLine();
  // Each count is a value item: its number text and one blank.
  file.WriteLine(NumberText(Real(mech_order + 1)) + " term mechanical model");
  file.WriteLine(NumberText(Real(air_order + 1)) + " term aerodynamic model");
  file.WriteLine();
  file.Close();
}
