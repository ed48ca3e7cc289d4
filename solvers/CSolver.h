// The interface through which the pipeline fits road-load coefficients. It
// has no state; an implementation supplies the CSolver_ operations.
//
// The coefficient array every solver delivers is 1-based with eight
// elements: m0, m1, m2 (times 1, V, V²) and a0 to a4 (times Vr², Vr²·Y, …,
// Vr²·Y⁴), V and Vr in m/s, Y in degrees, forces in newtons.
#pragma once

#include <string>

#include "common/BoundedArray.h"
#include "common/Int16.h"
#include "common/Real.h"

class CDataCol;

class CSolver {
 public:
  virtual ~CSolver() = default;

  // The implementation's fixed display name; assigning it changes nothing.
  std::string sName() const { return CSolver_sName(); }
  void sName(const std::string& RHS) { CSolver_sName(RHS); }
  // Fits the coefficients into `results` (re-dimensioned to 1 to 8) from the
  // forces inertialMass / 9.80665 × dDelta of the included samples; may
  // exclude samples.
  void Solve(CDataCol& data, Real inertialMass, BoundedArray<Real>& results) {
    CSolver_Solve(data, inertialMass, results);
  }
  // Excludes the samples that the coefficients of the last Solve fit badly.
  void Filter(CDataCol& data, BoundedArray<Real>& results) { CSolver_Filter(data, results); }
  // Solver-specific settings; an omitted argument arrives as 0.
  void ExtraInfo(Int16 mech_order = 0, Int16 air_order = 0, Real CdAp = 0.0, Real forceConversion = 0.0) {
    CSolver_ExtraInfo(mech_order, air_order, CdAp, forceConversion);
  }
  // Appends the solver information section to the report file.
  void PrintResults(const std::string& sFile) { CSolver_PrintResults(sFile); }

 protected:
  CSolver() = default;
  CSolver(const CSolver&) = default;
  CSolver& operator=(const CSolver&) = default;

 private:
  virtual std::string CSolver_sName() const = 0;
  virtual void CSolver_sName(const std::string& RHS) = 0;
  virtual void CSolver_Solve(CDataCol& data, Real inertialMass, BoundedArray<Real>& results) = 0;
  virtual void CSolver_Filter(CDataCol& data, BoundedArray<Real>& results) = 0;
  virtual void CSolver_ExtraInfo(Int16 mech_order, Int16 air_order, Real CdAp, Real forceConversion) = 0;
  virtual void CSolver_PrintResults(const std::string& sFile) = 0;
};
