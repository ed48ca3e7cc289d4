// The record of one analysis: what it read, what it did and what it found,
// gathered while it runs and never fed back into it. The JSON document, the
// samples CSV, the warnings and the HTML page are all written from here.
//
// Plain doubles throughout: quantities of the analysis are copied as they
// were, and what the record derives itself (residuals, uncertainty, checks)
// is computed so that it can never raise an error into the run. A value that
// does not exist is NaN (written as null). Units are SI unless a name says
// otherwise: m/s, N, °C, kPa, kg/m³, m², degrees for angles.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "data/RunFileText.h"
#include "pipeline/CommandFields.h"
#include "record/MethodRecord.h"
#include "record/RecordTypes.h"

namespace record {

enum class SetKind { Zero, Cal, Data };
inline constexpr std::array<SetKind, 3> kSetKinds = {SetKind::Zero, SetKind::Cal, SetKind::Data};
// "ZERO", "CAL", "DATA": the base names of the run files.
const char* SetName(SetKind kind);

// An error of the analysis: its number, standard description and detail.
struct ErrorNote {
  int number = 0;  // 0: no error
  std::string description;
  std::string detail;
};

// One run file of a set, as it was looked for and read.
struct FileRecord {
  std::string path;       // as the analysis formed it: FOLDER, separator, DATA.3
  std::string name;       // DATA.3
  int run = 0;
  // HeldOpen: empty, and another program held it open, so it was left in place.
  enum class State { Missing, Empty, Read, Error, HeldOpen } state = State::Missing;
  std::uintmax_t bytes = 0;
  long records = 0;       // three-number records read
  long samples = 0;       // one-second samples they gave
  // Fields read as 0 because they were not numbers (or were empty): how
  // many, and where the first is (line from 1, field on the line from 1).
  long zeroFields = 0;
  long zeroFieldLine = 0;
  int zeroFieldPosition = 0;
  std::string zeroFieldText;
  // Lines holding other than three fields: how many, the first and its count.
  long linesNotOneRecord = 0;
  long notOneRecordLine = 0;
  int notOneRecordFields = 0;
  // Its text where it is not 8-bit text with a decimal point (TextForm
  // EightBit otherwise): the encoding and the layout of its first lines,
  // where each shows, and whether each was read as written.
  TextFormSeen encoding;
  TextFormSeen layout;
  bool encodingRead = false;
  bool layoutRead = false;
  // A form the analysis read as 8-bit text with a decimal point.
  bool MisRead() const {
    return (encoding.form != TextForm::EightBit && !encodingRead) || (layout.form != TextForm::EightBit && !layoutRead);
  }
  std::string sha256;     // hex, of the bytes the analysis read; taken with --json or --html
};

// A run-file set: ZERO, CAL or DATA.
struct SetRecord {
  SetKind kind = SetKind::Data;
  bool loaded = false;    // the analysis read it (ZERO and CAL only when asked for)
  std::vector<FileRecord> files;  // every file looked for; the last is where the set ended
  // Why the set ended: the first missing or empty file (one another
  // program held open), or an error.
  enum class End { NotLoaded, Missing, Empty, Error, HeldOpen } end = End::NotLoaded;
  ErrorNote error;         // when an error ended it
  std::string laterFiles;  // files of the set beyond its end that exist, "DATA.5, DATA.6"
  int runs = 0;            // files read into the set
  long samples = 0;        // one-second samples it holds
};

// What became of a one-second sample.
enum class SampleStatus {
  Used,                  // averaged (ZERO), calibrated on (CAL), fitted (DATA)
  NegativeDeceleration,  // DATA: gained speed; the fit leaves it out
  FilterOutlier,         // DATA: 3 standard deviations or more from the first fit
  YawOutlier,            // CAL: yaw more than 3 spreads from its run's mean
  OutsideWindow,         // DATA: outside the speed, wind and yaw window (--limit-data)
  NotUsed,               // in a set whose analysis ended before it was used
};
const char* StatusName(SampleStatus status);  // "used", "negative deceleration", …

// How a DATA sample moved: coasting, or the driving around a coast that an
// untrimmed run file holds.
enum class Motion { Coasting, Standstill, Braking, Rising, Held };
// "coasting", "standstill", "braking", "rising speed", "held speed"
const char* MotionName(Motion motion);

struct SampleRecord {
  SetKind set = SetKind::Data;
  int run = 0;
  int direction = 0;   // +1 odd runs, -1 even runs
  int time = 0;        // seconds from the start of the run
  double speed = 0.0;  // m/s
  double wind = 0.0;   // relative wind, m/s (DATA: after calibration)
  double yaw = 0.0;    // degrees (after the yaw offset; DATA: after calibration)
  double deceleration = 0.0;  // m/s²
  double force = kNone;       // N, DATA only: test weight / g × deceleration
  double head = kNone;        // true head wind in the frame of the odd runs, m/s (DATA)
  double cross = kNone;       // true cross wind in that frame, m/s (DATA)
  double filterResidual = kNone;  // N: the residual the outlier filter judged
  double residual = kNone;        // N: force minus the final fit's model
  SampleStatus status = SampleStatus::NotUsed;
  Motion motion = Motion::Coasting;  // DATA: from its speed and deceleration (Coasting.h)
  // With a method beside the specified fit (--method impulse): what that fit
  // did with the sample, while `status` says what the method did.
  std::optional<SampleStatus> legacyStatus = std::nullopt;
};

struct CalibrationRecord {
  bool ran = false;
  double Ka = 1.0, CalYawOffset = 0.0, Ky = 1.0, k3 = 0.0, K4 = 0.0;
  double yawSpread = kNone;  // degrees: mean of the runs' yaw standard deviations
  double yawLimit = kNone;   // degrees: 3 × yawSpread
  long yawRejected = 0;
  // Squared disagreement of the true wind over the pairs of runs: as read
  // (Ka 1, no offsets) and with the final coefficients.
  double headMismatchBefore = kNone, crossMismatchBefore = kNone;
  double headMismatchAfter = kNone, crossMismatchAfter = kNone;
  // The true wind each averaged CAL run implies, as read and as calibrated (m/s).
  struct RunWind {
    int run = 0;
    double headBefore = kNone, crossBefore = kNone, headAfter = kNone, crossAfter = kNone;
  };
  std::vector<RunWind> runs;
};

// One fit of the road-load model.
struct FitRecord {
  bool ran = false;
  bool completed = false;      // coefficients were delivered
  std::string solver;          // "Regression Solver" or "Constrained Solver"
  long samplesOffered = 0;     // included samples handed to the fit
  long negativeDeceleration = 0;
  long used = 0;
  std::array<double, 8> coefficients{kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone};  // m0 m1 m2 a0..a4
};

struct FilterRecord {
  bool ran = false;
  long tested = 0;
  double mean = kNone;   // mean residual, N
  double sd = kNone;     // sample standard deviation of the residuals, N
  double limit = kNone;  // 3 × sd: a residual this far from the mean or more is excluded
  long excluded = 0;
};

struct WindowRecord {
  bool applied = false;  // --limit-data
  double minSpeed = kNone, maxSpeed = kNone;  // m/s
  double minWind = kNone, maxWind = kNone;    // m/s
  double minYaw = kNone, maxYaw = kNone;      // degrees
  long excluded = 0;                 // in all
  long excludedBeforeFirstFit = 0;   // by the speed bounds, before the first fit
};

struct RoadLoadPoint {
  double speedMph = kNone;
  double force = kNone, low = kNone, high = kNone;  // N, still air, standard conditions
  double standardError = kNone, dof = kNone;
  std::vector<UncertaintyComponent> components;
};

// A quantity the final fit's samples were formed with that the test's own
// data leave uncertain (a calibrated coefficient of the anemometer, the
// ZERO yaw offset), and how the fitted coefficients move with it.
struct InputUncertainty {
  std::string name;    // "Ka", "yaw_offset", "zero_yaw_offset"
  std::string unit;    // "", "deg"
  std::string source;  // how its uncertainty was estimated, in words
  double value = kNone;
  double standardUncertainty = kNone;
  double dof = kNone;
  std::array<double, 8> sensitivity{};  // ∂(m0 m1 m2 a0 … a4)/∂value of the same samples' fit
};

// The statistics of the final fit, from its own design matrix and residuals.
struct UncertaintyRecord {
  bool available = false;
  std::string why;        // when not available
  long n = 0;             // samples
  int p = 0;              // fitted coefficients (8, or 7 with a0 held)
  long dof = 0;           // n - p
  double residualSd = kNone;  // N
  double rSquared = kNone;
  double neighbourCorrelation = kNone;  // of residuals one second apart in a run
  // The variance of the still-air force at the fit's mean speed over what
  // independent residuals would give: how much the residuals' correlation
  // widens (above 1) or narrows (below 1) the fit's share.
  double varianceFactor = kNone;
  double t95 = kNone;         // Student t, two-sided 95 %, dof degrees of freedom
  // How the residuals of one run go together: the speed sensor's noise,
  // white from record to record, enters neighbouring decelerations with
  // opposite signs; what remains (the road, the wind) is taken by its
  // long-run variance. Both from the test's own data.
  double speedNoiseSd = kNone;        // m/s per record, from the DATA records
  double speedNoiseShare = kNone;     // of the residuals' variance
  double longRunVariance = kNone;     // N² per sample, of the residuals beyond the speed sensor's share
  std::vector<Estimate> coefficients;       // m0 m1 m2 [a0] a1..a4, test conditions, SI; all contributions
  std::vector<std::vector<double>> correlation;  // between those coefficients, all contributions
  std::vector<std::vector<double>> fitCovariance;  // of those coefficients, from the fit's own scatter
  std::vector<InputUncertainty> inputs;      // the calibrated quantities' contributions
  std::string inputsWhyNot;                  // when a calibrated quantity's uncertainty is unknown
  double correlationM2A0 = kNone;           // NaN for the constrained fit
  double solverAgreement = kNone;  // largest relative difference, solver against an independent QR solution
  std::vector<RoadLoadPoint> roadLoad;      // 10, 20, … 70 mph and the window's ends
};

// The corrected results, each in the units of one system.
struct ResultsRecord {
  bool available = false;
  std::vector<Estimate> report;      // Amech lbf, Bmech lbf/mph, Cmech lbf/mph^2, Caero, Ctotl lbf/mph^2, Cd
  std::vector<Estimate> si;          // m0 N, m1 N/(m/s), m2 N/(m/s)^2, a0 N/(m/s)^2
  std::vector<Estimate> roadLoad;    // f0 N, f1 N/(km/h), f2 N/(km/h)^2 (still-air total)
  std::vector<Estimate> drag;        // Cd, CdA m^2
  std::string cAero, cTotal, CD;     // the result texts of the run
  // Whether the data determine the aerodynamic term, and so Cmech, Caero
  // and Cd (the check aero_determined); why not.
  bool aeroDetermined = true;
  std::string aeroWhyNot;
};

struct CheckRecord {
  std::string id;       // "directions", "mean_wind", …
  std::string title;    // what is checked, in words
  double value = kNone;
  std::string unit;
  std::string limit;    // the limit in words, "<= 16 km/h"
  std::string source;   // where the limit comes from
  std::string finding;  // what was found, in words: "9 runs, 5 one way and 4 the other"
  bool applicable = true;  // false when the analysis did not get far enough
  bool pass = true;
};

// The step the analysis was in when it ended, for explaining an error.
enum class Stage { Start, Loading, Calibrating, FirstFit, Filter, Window, FinalFit, Results };

struct AnalysisRecord {
  static constexpr const char* kFormat = "coastdown-analysis";
  static constexpr int kFormatVersion = 3;

  std::string programVersion;
  std::string date;  // local time, ISO 8601
  std::string commandText;          // the argument text after the options
  std::vector<std::string> fields;  // the ten fields as typed
  bool limitData = false;
  // The FOLDER field; empty when the command line has none.
  std::string Folder() const { return fields.empty() ? std::string() : fields[0]; }
  // The number at the start of a field as typed; NaN when it has none.
  double FieldNumber(CommandField field) const;

  // The unit factors.
  double areaFactor = kNone, pressureFactor = kNone, weightFactor = kNone, speedFactor = kNone,
         forceFactor = kNone;
  std::string temperatureCode;

  // The test conditions.
  double temperatureC = kNone, pressureKpa = kNone, testDensity = kNone, standardDensity = kNone;
  double areaM2 = kNone, weightN = kNone, massKg = kNone;
  double constrainedCd = kNone, cdAp = kNone;  // the constrained fit only
  // The constrained fit held a0 at cdAp.
  bool AeroHeld() const { return std::isfinite(cdAp); }

  std::array<SetRecord, 3> sets;  // ZERO, CAL, DATA
  SetRecord& Set(SetKind kind) { return sets[static_cast<int>(kind)]; }
  const SetRecord& Set(SetKind kind) const { return sets[static_cast<int>(kind)]; }

  double yawOffset = 0.0;
  bool yawOffsetFromZero = false;  // the ZERO set was averaged
  CalibrationRecord calibration;
  FitRecord firstFit;
  FilterRecord filter;
  WindowRecord window;
  FitRecord finalFit;
  // A method on the calibrated records in place of the fit (--method
  // impulse): its coefficients in the fit's layout; the results are its.
  FitRecord methodFit;
  double mechFactor = kNone, aeroFactor = kNone;
  double meanHead = kNone, meanCross = kNone, maxHead = kNone, maxCross = kNone;  // m/s, as the report
  double meanWindSpeed = kNone;  // mean magnitude of the true wind over the used samples, m/s

  std::vector<SampleRecord> samples;  // ZERO, then CAL, then DATA, in load order
  // (m/s)² per record of the speed sensor's noise, from the second
  // differences of the DATA records' speeds; NaN when too few were read.
  double speedNoiseVariance = kNone;
  UncertaintyRecord uncertainty;
  ResultsRecord results;
  std::vector<CheckRecord> checks;
  std::vector<std::string> warnings;
  bool hashed = false;  // the SHA-256 of every run file read was asked for

  std::string reportPath;
  bool reportWritten = false;
  ErrorNote reportError;  // the error that stopped the report, when the run went on to its end
  ErrorNote error;        // the error that ended the run
  int exitStatus = 0;

  // Which analysis method ran (--method) and what it found in every
  // method's terms; the interval method's own part; the specified
  // analysis' road load beside another method's.
  MethodRecord method;
  MethodResult methodResult;  // what a method on the calibrated records gave back
  IntervalAnalysis intervals;
  ImpulseAnalysis impulse;
  LegacyComparison legacyComparison;

  // Not written out; what the warnings and the explanation of an error draw on.
  Stage stage = Stage::Start;
  bool folderFound = false;                // FOLDER named a folder when the run ended
  std::vector<std::string> folderEntries;  // its names then
};

}  // namespace record
