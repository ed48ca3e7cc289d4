// The pipeline object: carries one analysis from the run parameters to the
// report. It converts the test conditions to SI units, takes the yaw offset
// from the zero runs, calibrates the anemometer, loads the coastdown runs,
// fits and refits the road load, corrects it to 20 °C and 98.21 kPa, forms
// the wind statistics and writes the report.
#pragma once

#include <memory>
#include <string>

#include "common/BoundedArray.h"
#include "common/Int16.h"
#include "common/Real.h"
#include "data/CDataCol.h"

class CCalibrator;
class CSolver;
class RecordsCollector;
struct MethodResult;
class RunObserver;
class SAEAppWrapper;

class cProcess {
 public:
  // `observer` hears what every step did; it never changes the analysis.
  explicit cProcess(RunObserver& observer);
  ~cProcess();
  cProcess(const cProcess&) = delete;
  cProcess& operator=(const cProcess&) = delete;

  // The whole analysis of one run, in its fixed order; each switch of the
  // wrapper is read when its step is reached.
  void RunProcess(SAEAppWrapper& wrapper);
  // Air density in kg/m³ of dry air at T °C and P kPa.
  Real GasLaw(Real T, Real P) const;
  // One line per mechanical coefficient, corrected and in output units:
  // "Amech: 26.98", "Bmech: 0.4437", "Cmech: 0.009911 ^ 2".
  std::string MechDragCo(const BoundedArray<Real>& sol, Int16 mechOrder, Int16 airOrder);
  // The Caero, Ctotl, Area and Cd lines; stores cAero, cTotal and CD in the
  // run's wrapper as they are formed.
  std::string AeroResults(const BoundedArray<Real>& sol, Int16 mechOrder, Int16 airOrder, Real area, Real density);
  // The mean yaw of the ZERO set, in degrees; 0 when it cannot be formed.
  Real Zero();
  // Head and cross wind, mean with sign and largest magnitude, over the
  // included samples of the data set.
  void Wind();

  // Whether the report writer failed ("Unable to save results.").
  bool ReportSaveFailed() const { return reportSaveFailed_; }

 private:
  void AppendLog(const std::string& message);
  // Steps 10 to 14: the solver, the first fit, the outlier filter, the
  // window and the final fit, the coefficients into `results`.
  void FitRoadLoad(Real A, Real rho, BoundedArray<Real>& results);
  // A method on the DATA records in place of steps 10 to 14; the fit still
  // runs beside it for the record.
  void RunMethod(Real TC, Real P, Real rho, Real A, BoundedArray<Real>& results);
  void LoadCalibrationSet();
  void LoadDataSet();
  // The test temperature in °C from the unit named by TemperatureCode.
  Real ToCelsius(Real temperature);
  // Writes the report into the test folder; returns its path, or the empty
  // text when it could not be written.
  std::string WriteReport(BoundedArray<Real>& results, Real A, Real rho);

  // The wrapper of the run in progress; error 5 outside a run.
  SAEAppWrapper& Run() const;
  // A new solver of the kind the run asks for; a constrained one is given
  // its fixed aerodynamic term A × Cd × rho × 0.5.
  std::unique_ptr<CSolver> NewSolver(Real A, Real Cd, Real rho) const;

  std::unique_ptr<CCalibrator> calibrator;
  std::unique_ptr<CSolver> solver;
  CDataCol runData;
  CDataCol calData;
  Real MechFactor;
  Real AeroFactor;
  Real YawOffset;  // degrees
  Real MaxHead;    // m/s
  Real MaxCross;   // m/s
  Real MeanHead;   // m/s
  Real MeanCross;  // m/s
  SAEAppWrapper* wrapper = nullptr;
  std::string MessageLog;

  bool reportSaveFailed_ = false;
  RunObserver& observer_;
  std::unique_ptr<RecordsCollector> collector_;  // the DATA records, for a method
  std::unique_ptr<MethodResult> methodResult_;   // what a method gave, for the report
};
