// The anemometer calibrator. The runs of a calibration set are driven in
// pairs over the same road, the odd run in one direction and the next even
// run in the other, so the true wind derived from both runs of a pair must
// agree; the searches look for the coefficients under which it agrees best.
#include "calibration/CVelkCal.h"

#include "common/BoundedArray.h"
#include "common/Int16.h"
#include "common/NumberText.h"
#include "common/RuntimeError.h"
#include "common/TextFile.h"
#include "data/CDataCol.h"
#include "data/CMeasurement.h"
#include "calibration/UpwardSearch.h"

std::string CVelkCal::CCalibrator_sName() const { return "Velk Calibrator"; }

void CVelkCal::CCalibrator_sName(const std::string& /*RHS*/) {}

void CVelkCal::CCalibrator_Adjust(CDataCol& data) {
  for (CMeasurement& s : data) {
    if (s.nRun <= 0) continue;
    // The yaw offset is subtracted before the gain, and the loss term sees
    // the corrected angle.
    s.dAngle = (s.dAngle - CalYawOffset) * Ky;
    const Real a = s.dAngle;
    s.dWindSpeed = (1.0 - k3 * Pow(a, 2.0)) * ((s.dWindSpeed + K4) * Ka);
  }
}

void CVelkCal::CCalibrator_Calabrate(CDataCol& data) {
  CDataCol firstAvg;
  data.RunAverage(firstAvg);

  CDataCol deviation;
  data.StdDiv(firstAvg, deviation);
  const Real yawSpread = deviation.Average()->dAngle;
  YawSpread = yawSpread;

  // Yaw outliers are judged against the averages of all samples; the
  // averages are not updated while samples are rejected.
  for (CMeasurement& s : data) {
    if (s.nRun <= 0) continue;
    if (Abs(s.dAngle - firstAvg[s.nRun.value()].dAngle) > 3.0 * yawSpread) s.nRun = -1;
  }

  CDataCol runAvg;
  data.RunAverage(runAvg);

  K4 = 0.134112;  // 0.3 mile per hour, never fitted

  // Without a pair of opposite runs every mismatch is zero and no search
  // could end.
  if (runAvg.Count() < 2) Raise(ErrorNumber::InvalidProcedureCall, "calibration needs at least one pair of runs");

  for (int pass = 1; pass <= 2; ++pass) {
    FitSpeedGain(runAvg);
    FitYawOffset(runAvg);
  }
}

void CVelkCal::FitSpeedGain(const CDataCol& runAvg) {
  // Ky and k3 follow every trial of Ka; after the final step back they keep
  // the values of the last, rejected trial.
  UpwardSearch(Ka, 0.9, 10000.0, [&] {
    Ky = 1.0 / Pow(Ka, 1.5);
    k3 = (Ka - 1.0) * 0.00053;
    return PairMismatch(runAvg).head;
  });
}

void CVelkCal::FitYawOffset(const CDataCol& runAvg) {
  UpwardSearch(CalYawOffset, -11.0, 1000.0, [&] { return PairMismatch(runAvg).cross; });
}

CVelkCal::RunWind CVelkCal::TrueWind(const CMeasurement& s) const {
  const Real V = s.dVehicleSpeed;
  const Real Vr = s.dWindSpeed;
  const Real Y = s.dAngle;  // as stored, not offset-corrected
  const Real D = s.nRunDir;
  const Real theta = (Y - CalYawOffset) * (DegreeToRadianFactor() * Ky);
  // Unlike Adjust, the loss term here uses the stored yaw.
  const Real g = 1.0 - k3 * Pow(Y, 2.0);
  RunWind wind;
  wind.head = (g * ((Vr + K4) * Ka) * Cos(theta) - V) * D;
  wind.cross = g * ((Vr + K4) * (D * Ka)) * Sin(theta);
  return wind;
}

CVelkCal::Mismatch CVelkCal::PairMismatch(const CDataCol& runAvg) const {
  // Indexed by run number; they bound a calibration set to 20 runs.
  BoundedArray<Real> head(0, 20);
  BoundedArray<Real> cross(0, 20);
  for (const CMeasurement& s : runAvg) {
    const RunWind wind = TrueWind(s);
    head(s.nID) = wind.head;
    cross(s.nID) = wind.cross;
  }

  // Pairs (1, 2), (3, 4), …; the last run of an odd count has no partner.
  Mismatch m;
  const long n = runAvg.Count();
  for (Int16 i = 2; i.value() <= n; i += 2) {
    m.head += Pow(head(i - 1) - head(i), 2.0);
    m.cross += Pow(cross(i - 1) - cross(i), 2.0);
  }
  return m;
}

void CVelkCal::CCalibrator_PrintResults(const std::string& sFile) {
  TextFile report(sFile, WriteMode::Append);
  report.WriteLine("CALIBRATION COEFFICIENTS");
  report.WriteLine(sName());
  report.WriteLine();
  report.WriteLine("Ka = " + NumberText(Ka) + " ");
  report.WriteLine("k3 = " + FormatFixed(k3, "0.000000"));
  report.WriteLine("K4 = " + NumberText(K4) + " ");
  report.WriteLine();
  report.WriteLine("Ky = " + FormatFixed(Ky, "0.000000"));
  report.WriteLine("Yaw Offset = " + FormatFixed(CalYawOffset, "0.000000"));
  report.WriteLine();
  report.Close();
}
