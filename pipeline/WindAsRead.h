// Whether the DATA runs' wind columns hold an anemometer at all, judged on
// the readings as the run files hold them: a calibration turns a column of
// zeros into a column of its offset, so the method cannot tell afterwards.
// It stands in for the calibrator while the DATA runs load, hands every run
// file's records to it unchanged, and looks at them first.
#pragma once

#include <string>

#include "calibration/CCalibrator.h"

class WindAsRead final : public CCalibrator {
 public:
  explicit WindAsRead(CCalibrator& calibrator) : calibrator_(calibrator) {}

  // False when every wind reading was 0, or every one equalled the vehicle
  // speed (a logger that copies the speed there); true before any record.
  bool HoldsAnemometer() const { return !(allZero_ || allSpeed_) || !anyRecord_; }

 private:
  std::string CCalibrator_sName() const override { return calibrator_.sName(); }
  void CCalibrator_sName(const std::string& RHS) override { calibrator_.sName(RHS); }
  void CCalibrator_Calabrate(CDataCol& data) override { calibrator_.Calabrate(data); }
  void CCalibrator_Adjust(CDataCol& data) override;
  void CCalibrator_PrintResults(const std::string& sFile) override { calibrator_.PrintResults(sFile); }

  CCalibrator& calibrator_;
  bool anyRecord_ = false;
  bool allZero_ = true;
  bool allSpeed_ = true;
};
