// The interface through which the loader, the pipeline and the report use
// an anemometer calibrator. It has no state; an implementation supplies the
// CCalibrator_ operations and callers hold it only through this interface.
#pragma once

#include <string>

class CDataCol;

class CCalibrator {
 public:
  virtual ~CCalibrator() = default;

  // The implementation's fixed display name; writing it changes nothing.
  std::string sName() const { return CCalibrator_sName(); }
  void sName(const std::string& RHS) { CCalibrator_sName(RHS); }
  // Fits the coefficients on a loaded calibration collection; may exclude samples.
  void Calabrate(CDataCol& data) { CCalibrator_Calabrate(data); }
  // Rewrites dWindSpeed and dAngle of every included sample with the
  // current coefficients; an uncalibrated calibrator changes nothing.
  void Adjust(CDataCol& data) { CCalibrator_Adjust(data); }
  // Appends the calibrator's section to the report file.
  void PrintResults(const std::string& sFile) { CCalibrator_PrintResults(sFile); }

 protected:
  CCalibrator() = default;
  CCalibrator(const CCalibrator&) = default;
  CCalibrator& operator=(const CCalibrator&) = default;

 private:
  virtual std::string CCalibrator_sName() const = 0;
  virtual void CCalibrator_sName(const std::string& RHS) = 0;
  virtual void CCalibrator_Calabrate(CDataCol& data) = 0;
  virtual void CCalibrator_Adjust(CDataCol& data) = 0;
  virtual void CCalibrator_PrintResults(const std::string& sFile) = 0;
};
