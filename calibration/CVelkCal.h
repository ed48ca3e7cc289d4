// The anemometer calibrator: fits gain, yaw offset and yaw coefficients of
// the anemometer on pairs of opposite-direction calibration runs, rewrites
// the wind readings of every run file loaded afterwards, and appends its
// coefficients to the report.
#pragma once

#include <string>

#include "calibration/CCalibrator.h"
#include "common/Real.h"

class CDataCol;
class CMeasurement;

class CVelkCal : public CCalibrator {
 public:
  // The coefficients start as an exact identity; only Calabrate changes them.
  Real Ka = 1.0;            // gain on the relative wind speed
  Real CalYawOffset = 0.0;  // yaw reading, degrees, of wind straight on the nose
  Real Ky = 1.0;            // gain on the offset-corrected yaw
  Real k3 = 0.0;            // loss per square degree of yaw
  Real K4 = 0.0;            // m/s added to the relative wind speed before the gain
  // The mean of the runs' yaw standard deviations that the last Calabrate
  // judged yaw outliers by (three of them is the limit); kept for the record.
  Real YawSpread = 0.0;

  // The disagreement of the true wind over the pairs of runs (1, 2), (3, 4),
  // …: the along-track (head) and cross-track sums of squared differences.
  struct Mismatch {
    Real head;
    Real cross;
  };
  // The true head and cross wind that one averaged run implies.
  struct RunWind {
    Real head;
    Real cross;
  };
  // With the current coefficients; the searches minimise them, and the
  // record shows how far they came.
  Mismatch PairMismatch(const CDataCol& runAvg) const;
  RunWind TrueWind(const CMeasurement& s) const;

 private:
  // Upward line searches on Ka (head mismatch) and CalYawOffset (cross mismatch).
  void FitSpeedGain(const CDataCol& runAvg);
  void FitYawOffset(const CDataCol& runAvg);

  std::string CCalibrator_sName() const override;
  void CCalibrator_sName(const std::string& RHS) override;
  void CCalibrator_Calabrate(CDataCol& data) override;
  void CCalibrator_Adjust(CDataCol& data) override;
  void CCalibrator_PrintResults(const std::string& sFile) override;
};
