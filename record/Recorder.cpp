// Filling the analysis record from the steps of the run.
#include "record/Recorder.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <utility>

#include "calibration/CVelkCal.h"
#include "common/FileSystem.h"
#include "common/RuntimeError.h"
#include "common/UnitFactors.h"
#include "data/CDataCol.h"
#include "data/CMeasurement.h"
#include "methods/AnalysisMethod.h"
#include "record/Checks.h"
#include "record/Coasting.h"
#include "record/MethodResults.h"
#include "record/Results.h"
#include "record/Warnings.h"

namespace record {

namespace {

bool Included(const CMeasurement& m) { return m.nRun.value() > 0; }

SetKind KindOf(RunSet set) {
  switch (set) {
    case RunSet::Zero: return SetKind::Zero;
    case RunSet::Cal: return SetKind::Cal;
    case RunSet::Data: return SetKind::Data;
  }
  return SetKind::Data;
}

ErrorNote NoteOf(const RuntimeError& error) {
  return {error.Code(), error.Description(), error.Detail()};
}

// "ZERO.3" from a path formed as FOLDER, separator, ZERO.3.
std::string FileName(const std::string& path) {
  const std::size_t at = path.find_last_of(kPathSeparator);
  return at == std::string::npos ? path : path.substr(at + 1);
}

// The number of a run-file name BASE.N, or 0 when `name` is not one: N in
// decimal, no sign, no leading zero.
long RunNumberOf(const std::string& name, const std::string& base) {
  if (name.size() <= base.size() + 1 || name.compare(0, base.size(), base) != 0 || name[base.size()] != '.') return 0;
  const std::string digits = name.substr(base.size() + 1);
  if (digits[0] == '0' || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) return 0;
  return std::stol(digits);
}

}  // namespace

void Recorder::Conditions(const UnitFactorSet& factors, Real temperatureC, Real pressureKpa, Real density,
                          Real areaM2) {
  record_.areaFactor = factors.AreaFactor.value();
  record_.temperatureCode = factors.TemperatureCode;
  record_.pressureFactor = factors.PressureFactor.value();
  record_.weightFactor = factors.WeightFactor.value();
  record_.speedFactor = factors.SpeedFactor.value();
  record_.forceFactor = factors.ForceFactor.value();
  record_.temperatureC = temperatureC.value();
  record_.pressureKpa = pressureKpa.value();
  record_.testDensity = density.value();
  record_.areaM2 = areaM2.value();
}

void Recorder::SetStarted(RunSet set) {
  const SetKind kind = KindOf(set);
  FlushFile();
  record_.stage = kind == SetKind::Cal ? Stage::Calibrating : Stage::Loading;
  loading_ = kind;
  record_.Set(kind).kind = kind;
  record_.Set(kind).loaded = true;
}

RunFileFacts& Recorder::OnRunFile(const std::string& fileName, Int16 run) {
  FlushFile();
  file_ = RunFileFacts();
  file_.fileName = fileName;
  file_.run = run;
  file_.digest = record_.hashed;
  fileOpen_ = true;
  return file_;
}

void Recorder::OnRunRecords(const CDataCol& records) {
  if (loading_ != SetKind::Data) return;
  // The speed sensor's noise is white from record to record, the vehicle's
  // deceleration changes slowly: second differences of the speeds hold the
  // noise (6σ², with neighbours' products of −4σ²), and a random force from
  // the road changes them only as 2f and −f, which the combination below
  // cancels.
  // In one pass over the records, keeping the two speeds before each, in
  // sums of its own that the records' memory cannot be taken to alias.
  double previous = 0.0;
  double before = 0.0;  // the speed two records back
  double last = 0.0;    // the speed one record back
  double squares = 0.0;
  double products = 0.0;
  long differences = 0;
  long k = 0;
  for (const CMeasurement& m : records) {
    ++k;
    const double speed = m.dVehicleSpeed.value();
    if (k >= 3) {
      const double dd = speed - 2.0 * last + before;
      if (!std::isfinite(dd)) break;  // the run's records up to here still count
      squares += dd * dd;
      ++differences;
      if (k > 3) products += dd * previous;
      previous = dd;
    }
    before = last;
    last = speed;
  }
  secondDifferenceSquares_ += squares;
  secondDifferences_ += differences;
  secondDifferenceProducts_ += products;
  secondDifferencePairs_ += std::max(0L, differences - 1);
  if (secondDifferences_ > 100 && secondDifferencePairs_ > 100) {
    const double c0 = secondDifferenceSquares_ / static_cast<double>(secondDifferences_);
    const double c1 = secondDifferenceProducts_ / static_cast<double>(secondDifferencePairs_);
    record_.speedNoiseVariance = std::max(0.0, -(c0 + 2.0 * c1) / 2.0);
  }
}

void Recorder::FlushFile() {
  if (!fileOpen_) return;
  fileOpen_ = false;
  FileRecord f;
  f.path = file_.fileName;
  f.name = FileName(file_.fileName);
  f.run = file_.run.value();
  f.state = file_.state == RunFileState::Read            ? FileRecord::State::Read
            : file_.state == RunFileState::Empty         ? FileRecord::State::Empty
            : file_.state == RunFileState::EmptyHeldOpen ? FileRecord::State::HeldOpen
                                                         : FileRecord::State::Missing;
  f.bytes = file_.bytes;
  f.records = file_.text.records;
  f.samples = file_.samples;
  f.zeroFields = file_.text.zeroFields;
  f.zeroFieldLine = file_.text.zeroFieldLine;
  f.zeroFieldPosition = file_.text.zeroFieldPosition;
  f.zeroFieldText = file_.text.zeroFieldText;
  f.linesNotOneRecord = file_.text.linesNotOneRecord;
  f.notOneRecordLine = file_.text.notOneRecordLine;
  f.notOneRecordFields = file_.text.notOneRecordFields;
  f.sha256 = file_.sha256;
  f.encoding = file_.text.encoding;
  f.layout = file_.text.layout;
  f.encodingRead = file_.text.encodingRead;
  f.layoutRead = file_.text.layoutRead;
  record_.Set(loading_).files.push_back(std::move(f));
}

void Recorder::SetLoaded(RunSet loaded, const CDataCol& data) {
  FlushFile();
  const SetKind kind = KindOf(loaded);
  SetRecord& set = record_.Set(kind);
  if (!set.files.empty()) {
    const FileRecord::State last = set.files.back().state;
    set.end = last == FileRecord::State::Empty      ? SetRecord::End::Empty
              : last == FileRecord::State::HeldOpen ? SetRecord::End::HeldOpen
                                                    : SetRecord::End::Missing;
  }
  statuses_.Join(kind, data);
  // A window before the first fit names the samples it excludes from here.
  if (kind == SetKind::Data) statuses_.Before(data);
}

void Recorder::SetFailed(RunSet failed, const RuntimeError& error, const CDataCol& data) {
  FlushFile();
  const SetKind kind = KindOf(failed);
  SetRecord& set = record_.Set(kind);
  set.error = NoteOf(error);
  if (!statuses_.Joined(kind)) {
    set.end = SetRecord::End::Error;
    if (!set.files.empty()) set.files.back().state = FileRecord::State::Error;
    statuses_.Join(kind, data);
    if (kind == SetKind::Data) statuses_.Before(data);
  } else {
    // Loaded, then what came after failed (the average of the ZERO set).
    statuses_.NotUsed(kind);
  }
}

void Recorder::FindLaterFiles(SetRecord& set, const std::vector<std::string>& folderEntries) {
  const std::string base = SetName(set.kind);
  const long end = set.files.empty() ? 0 : set.files.back().run;
  std::vector<long> later;
  for (const std::string& name : folderEntries) {
    const long n = RunNumberOf(name, base);
    if (n > end) later.push_back(n);
  }
  std::sort(later.begin(), later.end());
  std::string names;
  for (long n : later) names += (names.empty() ? "" : ", ") + base + "." + std::to_string(n);
  set.laterFiles = names;
}

void Recorder::YawOffset(Real offset) {
  record_.yawOffset = offset.value();
  const SetRecord& zero = record_.Set(SetKind::Zero);
  record_.yawOffsetFromZero = zero.loaded && zero.error.number == 0;
}

void Recorder::Calibrated(const CDataCol& calData, const CVelkCal& calibrator) {
  CalibrationRecord& c = record_.calibration;
  c.ran = true;
  c.Ka = calibrator.Ka.value();
  c.CalYawOffset = calibrator.CalYawOffset.value();
  c.Ky = calibrator.Ky.value();
  c.k3 = calibrator.k3.value();
  c.K4 = calibrator.K4.value();
  c.yawSpread = calibrator.YawSpread.value();
  c.yawLimit = 3.0 * c.yawSpread;
  c.yawRejected = statuses_.YawOutliers(calData);
  // The runs' true wind as read and as calibrated, from the same run
  // averages the searches worked on. Both sums succeeded inside Calabrate;
  // with readings far beyond any vehicle they are left out rather than risk
  // an overflow here.
  CDataCol runAvg;
  for (const CMeasurement& m : calData) {
    if (Included(m) && (std::fabs(m.dWindSpeed.value()) > 1e100 || std::fabs(m.dAngle.value()) > 1e100 ||
                        std::fabs(m.dVehicleSpeed.value()) > 1e100)) {
      return;
    }
  }
  calData.RunAverage(runAvg);
  const CVelkCal asRead;
  const CVelkCal::Mismatch before = asRead.PairMismatch(runAvg);
  const CVelkCal::Mismatch after = calibrator.PairMismatch(runAvg);
  c.headMismatchBefore = before.head.value();
  c.crossMismatchBefore = before.cross.value();
  c.headMismatchAfter = after.head.value();
  c.crossMismatchAfter = after.cross.value();
  for (const CMeasurement& run : runAvg) {
    const CVelkCal::RunWind read = asRead.TrueWind(run);
    const CVelkCal::RunWind calibrated = calibrator.TrueWind(run);
    c.runs.push_back({run.nID.value(), read.head.value(), read.cross.value(), calibrated.head.value(),
                      calibrated.cross.value()});
  }
}

void Recorder::SolverChosen(bool constrained, Real cd, Real cdAp) {
  if (constrained) {
    record_.constrainedCd = cd.value();
    record_.cdAp = cdAp.value();
  }
}

void Recorder::FitStarted(bool final, const CDataCol& data, Real weightN) {
  record_.stage = final ? Stage::FinalFit : Stage::FirstFit;
  record_.weightN = weightN.value();
  record_.massKg = record_.weightN / kStandardGravity;
  FitRecord& fit = final ? record_.finalFit : record_.firstFit;
  fit.ran = true;
  fit.samplesOffered += statuses_.Before(data);
}

void Recorder::FitEnded(bool final, const CDataCol& data, const BoundedArray<Real>& results,
                        const std::string& solverName) {
  FitRecord& fit = final ? record_.finalFit : record_.firstFit;
  fit.solver = solverName;
  const long before = fit.samplesOffered;
  statuses_.Excluded(data, SampleStatus::NegativeDeceleration);
  fit.used = statuses_.Included();
  fit.negativeDeceleration = before - fit.used;
  fit.completed = results.IsAllocated() && results.LBound() == 1 && results.UBound() == 8;
  if (fit.completed) {
    for (long j = 1; j <= 8; ++j) fit.coefficients[static_cast<std::size_t>(j - 1)] = results(j).value();
  }
  if (final && fit.completed) {
    statuses_.Used(data);
    record_.stage = Stage::Results;
  }
}

void Recorder::OnOutlierTest(const std::vector<double>& residuals, const std::vector<CMeasurement*>& samples,
                             double mean, double sd) {
  record_.stage = Stage::Filter;
  FilterRecord& f = record_.filter;
  f.ran = true;
  f.tested = static_cast<long>(residuals.size());
  f.mean = mean;
  f.sd = sd;
  f.limit = 3.0 * sd;
  statuses_.FilterResiduals(residuals, samples);
}

void Recorder::Filtered(const CDataCol& data) {
  record_.filter.excluded = statuses_.Excluded(data, SampleStatus::FilterOutlier);
}

void Recorder::Windowed(const CDataCol& data, Real minV, Real maxV, Real minVr, Real maxVr, Real minYaw,
                        Real maxYaw) {
  // The speed bounds alone before the first fit (--limit-data), then the
  // whole window after the outlier filter: the bounds are the latter's.
  const bool beforeFirstFit = !record_.firstFit.ran;
  if (!beforeFirstFit) record_.stage = Stage::Window;
  WindowRecord& w = record_.window;
  w.applied = true;
  w.minSpeed = minV.value();
  w.maxSpeed = maxV.value();
  w.minWind = minVr.value();
  w.maxWind = maxVr.value();
  w.minYaw = minYaw.value();
  w.maxYaw = maxYaw.value();
  const long excluded = statuses_.Excluded(data, SampleStatus::OutsideWindow);
  w.excluded += excluded;
  if (beforeFirstFit) w.excludedBeforeFirstFit = excluded;
}

void Recorder::Corrected(Real mechFactor, Real aeroFactor, Real standardDensity) {
  record_.mechFactor = mechFactor.value();
  record_.aeroFactor = aeroFactor.value();
  record_.standardDensity = standardDensity.value();
}

void Recorder::WindFormed(Real meanHead, Real meanCross, Real maxHead, Real maxCross) {
  record_.meanHead = meanHead.value();
  record_.meanCross = meanCross.value();
  record_.maxHead = maxHead.value();
  record_.maxCross = maxCross.value();
}

void Recorder::ReportDone(const std::string& path, bool written, const std::string& cAero, const std::string& cTotal,
                          const std::string& CD) {
  record_.reportPath = path;
  record_.reportWritten = written;
  record_.results.cAero = cAero;
  record_.results.cTotal = cTotal;
  record_.results.CD = CD;
}

void Recorder::ReportFailed(const RuntimeError& error) { record_.reportError = NoteOf(error); }

void Recorder::MethodFinished(const MethodResult& result) {
  record_.method.name = result.method;
  record_.method.solver = result.solverName;
  record_.method.completed = result.completed;
  record_.method.notes = result.notes;
  KeepMethodCoefficients(record_, result);
  record_.methodResult = result;
  FitRecord& fit = record_.methodFit;
  fit.ran = true;
  fit.completed = result.completed;
  fit.solver = result.solverName;
  if (result.completed) fit.coefficients = result.coefficients;
  // An error after this is the method's own, and its detail says why.
  record_.stage = Stage::Results;
}

void Recorder::ImpulseAnalysed(const ImpulseAnalysis& analysis) { record_.impulse = analysis; }

void Recorder::IntervalsAnalysed(const IntervalAnalysis& analysis) {
  record_.intervals = analysis;
  record_.weightN = analysis.conditions.averageMassKg * kStandardGravity;
  record_.massKg = analysis.conditions.averageMassKg;
  if (analysis.result.usable) record_.stage = Stage::Results;
}

void Recorder::Finish(const RuntimeError* error) noexcept {
  if (finished_) return;
  finished_ = true;
  // Each part is derived from what the record holds so far; one that cannot
  // be (memory ran out) leaves the parts after it out.
  try {
    FlushFile();
    const std::string folder = record_.Folder();
    record_.folderFound = IsFolder(folder);
    // The folder is listed once, at the end: the run removes no run file
    // beyond the end of a set, so what lies there is what lay there when
    // the set ended.
    record_.folderEntries = FolderEntries(folder);
    for (const SetKind kind : kSetKinds) {
      if (statuses_.Joined(kind)) FindLaterFiles(record_.Set(kind), record_.folderEntries);
    }
    if (error != nullptr) {
      record_.error = NoteOf(*error);
      // An error that no step handled, while a set was being loaded, ended it.
      SetRecord* ended = nullptr;
      if ((record_.stage == Stage::Loading || record_.stage == Stage::Calibrating) && !statuses_.Joined(loading_)) {
        ended = &record_.Set(loading_);
        ended->end = SetRecord::End::Error;
        ended->error = record_.error;
        if (!ended->files.empty()) ended->files.back().state = FileRecord::State::Error;
      }
      // The detail as the user reads it on standard error.
      record_.error.detail = Explanation(record_, *error);
      if (ended != nullptr) ended->error = record_.error;
    } else if (record_.reportError.number != 0) {
      record_.reportError.detail = ReportExplanation(record_);
    }
    DeriveResults(record_);
    DeriveMethodResults(record_);
    MarkMotion(record_);
    // The interval method holds the test to the checks of its regulation.
    record_.checks = record_.intervals.ran ? MethodChecks(record_) : Checks(record_);
    for (const CheckRecord& check : record_.checks) {
      if (check.id == "aero_determined" && check.applicable && !check.pass) {
        record_.results.aeroDetermined = false;
        record_.results.aeroWhyNot = check.finding;
      }
    }
    record_.warnings = Warnings(record_);
    if (record_.folderFound) record_.warnings.insert(record_.warnings.end(), record_.method.notes.begin(),
                                                     record_.method.notes.end());
  } catch (const std::exception&) {
    // The record keeps what was derived.
  }
}

}  // namespace record
