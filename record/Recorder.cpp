// Filling the analysis record from the steps of the run.
#include "record/Recorder.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <unordered_map>
#include <utility>

#include "calibration/CVelkCal.h"
#include "common/FileSystem.h"
#include "common/RuntimeError.h"
#include "common/Sha256.h"
#include "common/UnitFactors.h"
#include "data/CDataCol.h"
#include "data/CMeasurement.h"
#include "record/CalibrationUncertainty.h"
#include "record/FitStatistics.h"

namespace record {

namespace {

constexpr double kGravity = 9.80665;  // m/s², as the analysis forms a mass
constexpr double kKmhPerMs = 3.6;

bool Included(const CMeasurement& m) { return m.nRun.value() > 0; }

ErrorNote NoteOf(const RuntimeError& error) {
  return {error.Code(), error.Description(), error.Detail()};
}

// "ZERO.3" from a path formed as FOLDER, separator, ZERO.3.
std::string FileName(const std::string& path) {
  const std::size_t at = path.find_last_of(kPathSeparator);
  return at == std::string::npos ? path : path.substr(at + 1);
}

// A number in a warning: up to four significant digits.
std::string Short(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 4);
  return std::string(text, result.ptr);
}

// A field's text as a warning quotes it: bytes that do not print shown as \xNN.
std::string Printable(const std::string& text) {
  std::string shown;
  for (unsigned char c : text) {
    if (c >= 0x20 && c < 0x7f && c != '"') {
      shown.push_back(static_cast<char>(c));
    } else {
      static constexpr char kHex[] = "0123456789ABCDEF";
      shown += "\\x";
      shown.push_back(kHex[c >> 4]);
      shown.push_back(kHex[c & 15]);
    }
  }
  return shown;
}

// The number of a run-file name BASE.N, or 0 when `name` is not one: N in
// decimal, no sign, no leading zero.
long RunNumberOf(const std::string& name, const std::string& base) {
  if (name.size() <= base.size() + 1 || name.compare(0, base.size(), base) != 0 || name[base.size()] != '.') return 0;
  const std::string digits = name.substr(base.size() + 1);
  if (digits[0] == '0' || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) return 0;
  return std::stol(digits);
}

// A byte-order mark of UTF-16, or NUL bytes: text of two bytes a character.
bool LooksUtf16(const std::string& text) {
  return text.rfind("\xFF\xFE", 0) == 0 || text.rfind("\xFE\xFF", 0) == 0 || text.find('\0') != std::string::npos;
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// An input of the uncertainty as the user knows it.
std::string InputDescription(const std::string& name) {
  if (name == "Ka") return "the anemometer's calibrated gain Ka";
  if (name == "yaw_offset") return "the anemometer's calibrated yaw offset";
  if (name == "zero_yaw_offset") return "the ZERO runs' yaw offset";
  return name;
}

CheckRecord MakeCheck(std::string id, std::string title, double value, std::string unit, std::string limit,
                      std::string source) {
  CheckRecord check;
  check.id = std::move(id);
  check.title = std::move(title);
  check.value = value;
  check.unit = std::move(unit);
  check.limit = std::move(limit);
  check.source = std::move(source);
  return check;
}

}  // namespace

std::string Recorder::Folder() const { return record_.fields.empty() ? std::string() : record_.fields[0]; }

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

void Recorder::SetStarted(SetKind kind) {
  FlushFile();
  stage_ = kind == SetKind::Cal ? Stage::Calibrating : Stage::Loading;
  loading_ = kind;
  record_.Set(kind).kind = kind;
  record_.Set(kind).loaded = true;
}

RunFileFacts& Recorder::OnRunFile(const std::string& fileName, Int16 run) {
  FlushFile();
  file_ = RunFileFacts();
  file_.fileName = fileName;
  file_.run = run;
  fileOpen_ = true;
  return file_;
}

void Recorder::OnRunRecords(const CDataCol& records) {
  if (loading_ != SetKind::Data) return;
  // The speed sensor's noise is white from record to record, the vehicle's
  // deceleration changes slowly: second differences of the speeds hold the
  // noise (6σ² with neighbours' products −4σ²), and a random force from the
  // road changes them only as 2f and −f, which the combination below cancels.
  std::vector<double> v;
  v.reserve(static_cast<std::size_t>(records.Count()));
  for (const CMeasurement& m : records) v.push_back(m.dVehicleSpeed.value());
  double previous = 0.0;
  for (std::size_t k = 1; k + 1 < v.size(); ++k) {
    const double dd = v[k + 1] - 2.0 * v[k] + v[k - 1];
    if (!std::isfinite(dd)) return;
    secondDifferenceSquares_ += dd * dd;
    ++secondDifferences_;
    if (k > 1) {
      secondDifferenceProducts_ += dd * previous;
      ++secondDifferencePairs_;
    }
    previous = dd;
  }
}

void Recorder::FlushFile() {
  if (!fileOpen_) return;
  fileOpen_ = false;
  FileRecord f;
  f.path = file_.fileName;
  f.name = FileName(file_.fileName);
  f.run = file_.run.value();
  f.state = file_.state == RunFileState::Read    ? FileRecord::State::Read
            : file_.state == RunFileState::Empty ? FileRecord::State::Empty
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
  record_.Set(loading_).files.push_back(std::move(f));
}

void Recorder::CopySamples(SetKind kind, const CDataCol& data) {
  const int k = static_cast<int>(kind);
  if (copied_[static_cast<std::size_t>(k)]) return;
  copied_[static_cast<std::size_t>(k)] = true;
  SetRecord& set = record_.Set(kind);
  // The runs that reached the collection: a file that an error ended gives none.
  set.runs = static_cast<int>(std::count_if(set.files.begin(), set.files.end(), [](const FileRecord& f) {
    return f.state == FileRecord::State::Read;
  }));
  set.samples = data.Count();
  if (kind == SetKind::Data) dataStart_ = record_.samples.size();
  const double k2r = 3.141596 / 180.0;  // the analysis' own degree-to-radian factor
  for (const CMeasurement& m : data) {
    SampleRecord s;
    s.set = kind;
    s.run = m.nRun.value();
    s.direction = m.nRunDir.value();
    s.time = m.nTime.value();
    s.speed = m.dVehicleSpeed.value();
    s.wind = m.dWindSpeed.value();
    s.yaw = m.dAngle.value();
    s.deceleration = m.dDelta.value();
    s.status = kind == SetKind::Data ? SampleStatus::NotUsed : SampleStatus::Used;
    if (kind == SetKind::Data) {
      // The true wind in the frame of the odd runs, as the wind statistics form it.
      s.head = (std::cos(s.yaw * k2r) * s.wind - s.speed) * s.direction;
      s.cross = std::sin(s.yaw * k2r) * s.wind * s.direction;
      dataSamples_.push_back(&m);
    }
    record_.samples.push_back(s);
  }
}

void Recorder::SetLoaded(SetKind kind, const CDataCol& data) {
  FlushFile();
  SetRecord& set = record_.Set(kind);
  if (!set.files.empty()) {
    const FileRecord::State last = set.files.back().state;
    set.end = last == FileRecord::State::Empty ? SetRecord::End::Empty : SetRecord::End::Missing;
  }
  CopySamples(kind, data);
  FindLaterFiles(set);
}

void Recorder::SetFailed(SetKind kind, const RuntimeError& error, const CDataCol& data) {
  FlushFile();
  SetRecord& set = record_.Set(kind);
  const bool whileLoading = !copied_[static_cast<std::size_t>(kind)];
  if (whileLoading) {
    set.end = SetRecord::End::Error;
    set.error = NoteOf(error);
    if (!set.files.empty()) set.files.back().state = FileRecord::State::Error;
    CopySamples(kind, data);
    FindLaterFiles(set);
  } else {
    // Loaded, then what came after failed (the average of the ZERO set).
    set.error = NoteOf(error);
    for (std::size_t i = 0; i < record_.samples.size(); ++i) {
      if (record_.samples[i].set == kind) record_.samples[i].status = SampleStatus::NotUsed;
    }
  }
}

void Recorder::FindLaterFiles(SetRecord& set) const {
  const std::string base = SetName(set.kind);
  const long end = set.files.empty() ? 0 : set.files.back().run;
  std::vector<long> later;
  for (const std::string& name : FolderEntries(Folder())) {
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
  // The yaw test's outliers, by the samples' positions in the CAL set.
  std::size_t i = 0;
  while (i < record_.samples.size() && record_.samples[i].set != SetKind::Cal) ++i;
  for (const CMeasurement& m : calData) {
    if (i < record_.samples.size() && !Included(m)) {
      record_.samples[i].status = SampleStatus::YawOutlier;
      ++c.yawRejected;
    }
    ++i;
  }
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
  constrained_ = constrained;
  if (constrained) {
    record_.constrainedCd = cd.value();
    record_.cdAp = cdAp.value();
  }
}

void Recorder::FitStarted(bool final, const CDataCol& data, Real weightN) {
  stage_ = final ? Stage::FinalFit : Stage::FirstFit;
  record_.weightN = weightN.value();
  record_.massKg = record_.weightN / kGravity;
  FitRecord& fit = final ? record_.finalFit : record_.firstFit;
  fit.ran = true;
  included_.clear();
  for (const CMeasurement& m : data) {
    included_.push_back(Included(m));
    if (Included(m)) ++fit.samplesOffered;
  }
}

void Recorder::MarkExcluded(const CDataCol& data, SampleStatus status) {
  std::size_t p = 0;
  for (const CMeasurement& m : data) {
    if (p < included_.size() && included_[p] && !Included(m) && dataStart_ + p < record_.samples.size()) {
      record_.samples[dataStart_ + p].status = status;
    }
    ++p;
  }
  included_.clear();
  for (const CMeasurement& m : data) included_.push_back(Included(m));
}

void Recorder::FitEnded(bool final, const CDataCol& data, const BoundedArray<Real>& results,
                        const std::string& solverName) {
  FitRecord& fit = final ? record_.finalFit : record_.firstFit;
  fit.solver = solverName;
  const long before = fit.samplesOffered;
  MarkExcluded(data, SampleStatus::NegativeDeceleration);
  fit.used = std::count(included_.begin(), included_.end(), true);
  fit.negativeDeceleration = before - fit.used;
  fit.completed = results.IsAllocated() && results.LBound() == 1 && results.UBound() == 8;
  if (fit.completed) {
    for (long j = 1; j <= 8; ++j) fit.coefficients[static_cast<std::size_t>(j - 1)] = results(j).value();
  }
  if (final && fit.completed) {
    std::size_t p = 0;
    for (const CMeasurement& m : data) {
      if (Included(m) && dataStart_ + p < record_.samples.size()) {
        record_.samples[dataStart_ + p].status = SampleStatus::Used;
      }
      ++p;
    }
    stage_ = Stage::Results;
  }
}

void Recorder::OnOutlierTest(const std::vector<double>& residuals, const std::vector<CMeasurement*>& samples,
                             double mean, double sd) {
  stage_ = Stage::Filter;
  FilterRecord& f = record_.filter;
  f.ran = true;
  f.tested = static_cast<long>(residuals.size());
  f.mean = mean;
  f.sd = sd;
  f.limit = 3.0 * sd;
  std::unordered_map<const CMeasurement*, std::size_t> position;
  for (std::size_t p = 0; p < dataSamples_.size(); ++p) position[dataSamples_[p]] = p;
  for (std::size_t i = 0; i < residuals.size() && i < samples.size(); ++i) {
    const auto at = position.find(samples[i]);
    if (at != position.end()) record_.samples[dataStart_ + at->second].filterResidual = residuals[i];
  }
}

void Recorder::Filtered(const CDataCol& data) {
  const long before = std::count(included_.begin(), included_.end(), true);
  MarkExcluded(data, SampleStatus::FilterOutlier);
  record_.filter.excluded = before - std::count(included_.begin(), included_.end(), true);
}

void Recorder::Windowed(const CDataCol& data, Real minV, Real maxV, Real minVr, Real maxVr, Real minYaw,
                        Real maxYaw) {
  stage_ = Stage::Window;
  WindowRecord& w = record_.window;
  w.applied = true;
  w.minSpeed = minV.value();
  w.maxSpeed = maxV.value();
  w.minWind = minVr.value();
  w.maxWind = maxVr.value();
  w.minYaw = minYaw.value();
  w.maxYaw = maxYaw.value();
  const long before = std::count(included_.begin(), included_.end(), true);
  MarkExcluded(data, SampleStatus::OutsideWindow);
  w.excluded = before - std::count(included_.begin(), included_.end(), true);
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

void Recorder::Finish(const RuntimeError* error, bool provenance) {
  FlushFile();
  if (error != nullptr) {
    // The detail as the user reads it on standard error.
    record_.error = NoteOf(*error);
    record_.error.detail = Explain(*error);
    // An error that no step handled, while a set was being loaded, ended it.
    if (stage_ == Stage::Loading || stage_ == Stage::Calibrating) {
      SetRecord& set = record_.Set(loading_);
      if (!copied_[static_cast<std::size_t>(loading_)]) {
        set.end = SetRecord::End::Error;
        set.error = record_.error;
        if (!set.files.empty()) set.files.back().state = FileRecord::State::Error;
      }
    }
  }
  DeriveResults();
  DeriveChecks();
  DeriveWarnings();
  if (provenance) {
    for (SetRecord& set : record_.sets) {
      for (FileRecord& f : set.files) {
        if (f.state == FileRecord::State::Read || f.state == FileRecord::State::Error) f.sha256 = FileSha256(f.path);
      }
    }
  }
}

void Recorder::DeriveResults() {
  const FitRecord& fit = record_.finalFit.ran ? record_.finalFit : record_.firstFit;
  if (!fit.completed) return;
  const std::array<double, 8>& c = fit.coefficients;

  // Forces and residuals of every DATA sample against the final model; the
  // statistics from the samples the final fit used.
  std::vector<FitSample> used;
  std::vector<FitSample> dropped;
  std::vector<std::size_t> usedAt;
  for (std::size_t i = dataStart_; i < record_.samples.size(); ++i) {
    SampleRecord& s = record_.samples[i];
    if (s.set != SetKind::Data) continue;
    s.force = record_.weightN / kGravity * s.deceleration;
    const double vr2 = s.wind * s.wind;
    const double model = c[0] + c[1] * s.speed + c[2] * s.speed * s.speed +
                         vr2 * (c[3] + s.yaw * (c[4] + s.yaw * (c[5] + s.yaw * (c[6] + s.yaw * c[7]))));
    s.residual = s.force - model;
    if (s.status == SampleStatus::FilterOutlier || s.status == SampleStatus::NegativeDeceleration) {
      dropped.push_back({s.speed, s.wind, s.yaw, s.force, s.run, s.time});
    }
    if (s.status == SampleStatus::Used) {
      used.push_back({s.speed, s.wind, s.yaw, s.force, s.run, s.time});
      usedAt.push_back(i);
    }
  }
  std::vector<double> residuals;
  double speedNoise = kNone;
  if (secondDifferences_ > 100 && secondDifferencePairs_ > 100) {
    const double c0 = secondDifferenceSquares_ / static_cast<double>(secondDifferences_);
    const double c1 = secondDifferenceProducts_ / static_cast<double>(secondDifferencePairs_);
    speedNoise = std::max(0.0, -(c0 + 2.0 * c1) / 2.0);
  }
  record_.uncertainty =
      FitUncertainty(used, c, constrained_, record_.cdAp, residuals, {speedNoise, record_.weightN / kGravity, dropped});
  AddCalibrationUncertainty(record_, used, constrained_);

  // Mean magnitude of the true wind the fit's samples met.
  double windSum = 0.0;
  for (std::size_t i : usedAt) {
    windSum += std::sqrt(record_.samples[i].head * record_.samples[i].head +
                         record_.samples[i].cross * record_.samples[i].cross);
  }
  if (!usedAt.empty()) record_.meanWindSpeed = windSum / static_cast<double>(usedAt.size());

  if (!std::isfinite(record_.mechFactor) || !std::isfinite(record_.aeroFactor)) return;
  const UncertaintyRecord& u = record_.uncertainty;
  const double mf = record_.mechFactor;
  const double af = record_.aeroFactor;
  const double ff = record_.forceFactor;
  const double sf = record_.speedFactor;
  const double sf2 = std::pow(sf, 2.0);
  const double rho = record_.standardDensity;
  const double area = record_.areaM2;
  const auto g = [](double m0, double m1, double m2, double a0) {
    return std::array<double, 8>{m0, m1, m2, a0, 0.0, 0.0, 0.0, 0.0};
  };
  ResultsRecord& r = record_.results;
  r.available = true;
  // As the report writes them, in the report's order of operations.
  r.report = {
      LinearEstimate(u, c[0] * mf / ff * std::pow(sf, 0.0), g(mf / ff, 0, 0, 0), "Amech", "lbf"),
      LinearEstimate(u, c[1] * mf / ff * std::pow(sf, 1.0), g(0, mf / ff * sf, 0, 0), "Bmech", "lbf/mph"),
      LinearEstimate(u, c[2] * mf / ff * std::pow(sf, 2.0), g(0, 0, mf / ff * sf2, 0), "Cmech", "lbf/mph^2"),
      LinearEstimate(u, c[3] * af / ff * sf2, g(0, 0, 0, af / ff * sf2), "Caero", "lbf/mph^2"),
      LinearEstimate(u, (c[2] * mf + c[3] * af) / ff * sf2, g(0, 0, mf / ff * sf2, af / ff * sf2), "Ctotl",
                     "lbf/mph^2"),
      LinearEstimate(u, c[3] / (rho * 0.5 * area) * af, g(0, 0, 0, af / (rho * 0.5 * area)), "Cd", ""),
  };
  r.si = {
      LinearEstimate(u, c[0] * mf, g(mf, 0, 0, 0), "m0", "N"),
      LinearEstimate(u, c[1] * mf, g(0, mf, 0, 0), "m1", "N/(m/s)"),
      LinearEstimate(u, c[2] * mf, g(0, 0, mf, 0), "m2", "N/(m/s)^2"),
      LinearEstimate(u, c[3] * af, g(0, 0, 0, af), "a0", "N/(m/s)^2"),
  };
  r.roadLoad = {
      LinearEstimate(u, c[0] * mf, g(mf, 0, 0, 0), "f0", "N"),
      LinearEstimate(u, c[1] * mf / kKmhPerMs, g(0, mf / kKmhPerMs, 0, 0), "f1", "N/(km/h)"),
      LinearEstimate(u, (c[2] * mf + c[3] * af) / (kKmhPerMs * kKmhPerMs),
                     g(0, 0, mf / (kKmhPerMs * kKmhPerMs), af / (kKmhPerMs * kKmhPerMs)), "f2", "N/(km/h)^2"),
  };
  const Estimate& cd = r.report.back();
  Estimate cdA = LinearEstimate(u, cd.value * area, g(0, 0, 0, af / (rho * 0.5)), "CdA", "m^2");
  r.drag = {cd, cdA};

  // The still-air road load at 10, 20, … 70 mph and at the window's ends.
  std::vector<double> speeds = {10, 20, 30, 40, 50, 60, 70};
  for (std::size_t field : {3u, 4u}) {
    double mph = 0.0;
    if (record_.fields.size() > field &&
        std::from_chars(record_.fields[field].data(), record_.fields[field].data() + record_.fields[field].size(), mph)
                .ec == std::errc() &&
        mph > 0.0 && mph < 1000.0 && std::find(speeds.begin(), speeds.end(), mph) == speeds.end()) {
      speeds.push_back(mph);
    }
  }
  std::sort(speeds.begin(), speeds.end());
  if (u.available) {
    for (double mph : speeds) record_.uncertainty.roadLoad.push_back(StillAirRoadLoad(u, c, mf, af, mph));
  }
}

void Recorder::DeriveChecks() {
  std::vector<CheckRecord>& checks = record_.checks;
  // The checks judge a result; a run that ended before one has nothing to judge.
  const bool judged = record_.finalFit.completed;
  const SetRecord& data = record_.Set(SetKind::Data);
  const bool results = record_.results.available;
  constexpr const char* kWindSource =
      "the limits commonly used for coastdowns without an anemometer; advisory when an anemometer measures the wind";

  // Runs each way.
  const long odd = (data.runs + 1) / 2;
  const long even = data.runs / 2;
  CheckRecord directions = MakeCheck("directions", "DATA runs in both directions, as many each way",
                         static_cast<double>(data.runs), "runs", "an even number, at least 2",
                         "the practice of driving runs in pairs of opposite direction");
  directions.finding = std::to_string(data.runs) + " DATA runs, " + std::to_string(odd) + " in the direction of the odd runs and " +
                       std::to_string(even) + " in the other";
  directions.applicable = judged;
  directions.pass = odd > 0 && even > 0 && odd == even;
  checks.push_back(directions);

  CheckRecord wind = MakeCheck("mean_wind", "mean wind speed over the DATA samples", record_.meanWindSpeed * kKmhPerMs, "km/h",
                   "<= 16 km/h", kWindSource);
  wind.applicable = std::isfinite(wind.value);
  wind.pass = wind.value <= 16.0;
  checks.push_back(wind);

  CheckRecord cross = MakeCheck("mean_crosswind", "mean cross wind over the DATA samples",
                    std::fabs(record_.meanCross) * kKmhPerMs, "km/h", "<= 8 km/h", kWindSource);
  cross.applicable = std::isfinite(cross.value);
  cross.pass = cross.value <= 8.0;
  checks.push_back(cross);

  CheckRecord temperature = MakeCheck("temperature", "test temperature", record_.temperatureC, "degC", "5 to 35 degC",
                          "the range within which the corrections to 20 degC are meant to be used");
  temperature.applicable = judged;
  temperature.pass = temperature.value >= 5.0 && temperature.value <= 35.0;
  checks.push_back(temperature);

  const FilterRecord& filter = record_.filter;
  CheckRecord outliers = MakeCheck("outliers", "share of the usable samples removed by the outlier filter",
                       filter.tested > 0 ? 100.0 * static_cast<double>(filter.excluded) / static_cast<double>(filter.tested)
                                         : kNone,
                       "%", "<= 10 %", "more than a few outliers means the model does not describe the test");
  outliers.applicable = judged && filter.ran && filter.tested > 0;
  outliers.pass = outliers.value <= 10.0;
  checks.push_back(outliers);

  // The still-air road load's interval at every 10 mph inside the window.
  double low = 0.0;
  double high = 1e300;
  if (record_.fields.size() > 4) {
    double value = 0.0;
    if (std::from_chars(record_.fields[3].data(), record_.fields[3].data() + record_.fields[3].size(), value).ec ==
        std::errc()) {
      low = value;
    }
    if (std::from_chars(record_.fields[4].data(), record_.fields[4].data() + record_.fields[4].size(), value).ec ==
        std::errc()) {
      high = value;
    }
  }
  double worst = kNone;
  const RoadLoadPoint* worstPoint = nullptr;
  bool open = false;
  for (const RoadLoadPoint& point : record_.uncertainty.roadLoad) {
    if (point.speedMph < low || point.speedMph > high || std::fmod(point.speedMph, 10.0) != 0.0) continue;
    if (!std::isfinite(point.high)) open = true;
    const double relative = 100.0 * (point.high - point.force) / std::fabs(point.force);
    if (!(worst >= relative)) {
      worst = relative;
      worstPoint = &point;
    }
  }
  CheckRecord precision = MakeCheck("road_load_precision",
                        "95 % interval of the still-air road load at every 10 mph inside the speed window", worst,
                        "% (largest half-width)", "<= 2 %", "the precision expected of a road-load determination");
  precision.applicable = std::isfinite(worst) || (open && record_.uncertainty.available);
  precision.pass = worst <= 2.0 && !open;
  if (open) {
    precision.finding = "not known: " + record_.uncertainty.inputsWhyNot;
  } else if (worstPoint != nullptr) {
    // What limits the test, so that the user knows what to improve.
    const UncertaintyComponent* largest = nullptr;
    for (const UncertaintyComponent& c : worstPoint->components) {
      if (largest == nullptr || c.value > largest->value) largest = &c;
    }
    precision.finding = Short(worst) + " % (largest half-width), at " + Short(worstPoint->speedMph) + " mph";
    if (largest != nullptr && largest->source != "fit" && worstPoint->standardError > 0.0) {
      precision.finding += "; " + Short(100.0 * largest->value * largest->value /
                                        (worstPoint->standardError * worstPoint->standardError)) +
                           " % of its variance from " + InputDescription(largest->source) +
                           (largest->source == "zero_yaw_offset" ? ", which more pairs of ZERO runs would narrow"
                                                                 : ", which more or calmer pairs of CAL runs would narrow");
    }
  }
  checks.push_back(precision);

  const double cdValue = results ? record_.results.drag[0].value : kNone;
  CheckRecord cd = MakeCheck("cd_range", "drag coefficient", cdValue, "", "0.15 to 1.5",
                 "the range of road vehicles, from streamlined cars to trucks");
  cd.applicable = std::isfinite(cdValue);
  cd.pass = cdValue >= 0.15 && cdValue <= 1.5;
  checks.push_back(cd);

  double wrong = kNone;
  if (results) {
    const std::vector<Estimate>& r = record_.results.report;
    wrong = (r[0].value > 0.0 ? 0.0 : 1.0) + (r[1].value >= 0.0 ? 0.0 : 1.0) + (r[2].value >= 0.0 ? 0.0 : 1.0);
  }
  CheckRecord signs = MakeCheck("mechanical_signs", "mechanical coefficients of the expected sign (Amech > 0, Bmech >= 0, Cmech >= 0)",
                    wrong, "coefficients of the wrong sign", "0", "friction and rolling resistance never push the vehicle");
  signs.applicable = results;
  signs.pass = wrong == 0.0;
  checks.push_back(signs);

  for (CheckRecord& check : checks) {
    if (check.finding.empty() && std::isfinite(check.value)) {
      check.finding = Short(check.value) + (check.unit.empty() ? "" : " " + check.unit);
    }
  }
}

void Recorder::DeriveWarnings() {
  // Without the test folder there is nothing to say of its files: the error says it.
  if (!IsFolder(Folder())) return;
  // What the data silently changed, set by set.
  for (const SetRecord& set : record_.sets) {
    if (!set.loaded) continue;
    const std::string base = SetName(set.kind);
    const std::string lost = set.kind == SetKind::Zero ? "the yaw offset is taken without them"
                             : set.kind == SetKind::Cal ? "the calibration is made without them"
                                                        : "they are not analysed";
    if (set.end == SetRecord::End::Error && !set.files.empty()) {
      const FileRecord& f = set.files.back();
      Warn(f.name + ": run-time error " + std::to_string(set.error.number) + ": " + set.error.description +
           (set.error.detail.empty() ? "" : " (" + set.error.detail + ")") +
           (LooksUtf16(f.zeroFieldText) ? ", it is UTF-16 text, not 8-bit text" : "") + "; " + f.name +
           " and the runs after it are not analysed");
    } else if ((set.end == SetRecord::End::Missing || set.end == SetRecord::End::Empty) && !set.laterFiles.empty() &&
               !set.files.empty()) {
      const FileRecord& f = set.files.back();
      std::string text = "the " + base + " set ends at " + f.name + ", which ";
      text += set.end == SetRecord::End::Empty ? "was empty and has been deleted: " : "is missing: ";
      text += set.laterFiles;
      text += set.laterFiles.find(',') == std::string::npos ? " is in the folder, but " : " are in the folder, but ";
      text += lost;
      Warn(text);
    }
    for (const FileRecord& f : set.files) {
      if (LooksUtf16(f.zeroFieldText)) {
        if (f.state != FileRecord::State::Error) Warn(f.name + " is UTF-16 text, not 8-bit text: its fields read as 0");
        continue;
      }
      if (f.zeroFields > 0) {
        const std::string what =
            f.zeroFieldText.empty() ? "an empty field" : "\"" + Printable(f.zeroFieldText) + "\"";
        Warn(f.name + ": " + std::to_string(f.zeroFields) + (f.zeroFields == 1 ? " field was" : " fields were") +
             " not a number and read as 0 (the first at line " + std::to_string(f.zeroFieldLine) + ", field " +
             std::to_string(f.zeroFieldPosition) + ": " + what + ")");
      }
      if (f.linesNotOneRecord > 0) {
        Warn(f.name + ": " + std::to_string(f.linesNotOneRecord) +
             (f.linesNotOneRecord == 1 ? " line does" : " lines do") +
             " not hold one record of three numbers (the first, line " + std::to_string(f.notOneRecordLine) +
             ", holds " + std::to_string(f.notOneRecordFields) + "); records were read across lines");
      }
    }
  }
  const SetRecord& zero = record_.Set(SetKind::Zero);
  if (zero.loaded && zero.error.number != 0 && record_.error.number == 0) {
    Warn("the ZERO set could not be averaged (run-time error " + std::to_string(zero.error.number) + ": " +
         zero.error.description + (zero.samples == 0 ? ", no one-second sample" : "") +
         "); the yaw offset 0 is used instead");
  }
  const double r = record_.uncertainty.correlationM2A0;
  if (std::isfinite(r) && std::fabs(r) > 0.99) {
    Warn("the fit cannot tell the mechanical V^2 term from the aerodynamic term (their correlation is " + Short(r) +
         "): the wind did not vary enough between the samples, so Cmech, Caero and Cd are not determined, only "
         "their sum Ctotl. Give the drag coefficient in the CD field to hold the aerodynamic term");
  } else if (record_.results.available && record_.uncertainty.available && !constrained_) {
    // Other terms than the mechanical V² one can stand in for the
    // aerodynamic term too, as a yaw polynomial does when the yaw hardly
    // changes.
    const Estimate& caero = record_.results.report[3];
    if (caero.low <= 0.0 && 0.0 <= caero.high) {
      Warn("the data do not determine the aerodynamic term: the 95 % interval of Caero, " + Short(caero.low) + " to " +
           Short(caero.high) + " lbf/mph^2, holds 0, so Cmech, Caero and Cd are not determined. Give the drag "
           "coefficient in the CD field to hold the aerodynamic term");
    }
  }
  if (record_.finalFit.completed && !record_.uncertainty.available) {
    Warn("no uncertainty for the final fit: " + record_.uncertainty.why);
  }
  if (record_.uncertainty.available && !record_.uncertainty.inputsWhyNot.empty()) {
    Warn("the uncertainty of the calibration is not known: " + record_.uncertainty.inputsWhyNot +
         ", so the intervals of the results that depend on it are left open");
  }
  for (const CheckRecord& check : record_.checks) {
    if (check.applicable && !check.pass) {
      Warn("check failed: " + check.title + ": " + check.finding + " (limit: " + check.limit + ")");
    }
  }
}

std::string Recorder::Explain(const RuntimeError& error) const {
  // A test folder that is not there explains every file of it that is not.
  const std::string folder = Folder();
  if (error.Number() == ErrorNumber::PathNotFound && !folder.empty() && !IsFolder(folder)) {
    return "FOLDER " + folder + " does not exist";
  }
  // Why a set gave nothing usable, from what its first file held.
  const auto emptyBecause = [&](SetKind kind) -> std::string {
    const SetRecord& set = record_.Set(kind);
    if (set.files.empty()) return {};
    const FileRecord& first = set.files.front();
    for (const FileRecord& f : set.files) {
      if (LooksUtf16(f.zeroFieldText)) return f.path + " is UTF-16 text; run files are 8-bit text (save it as ANSI or UTF-8)";
    }
    long fields = 0;
    long zeros = 0;
    for (const FileRecord& f : set.files) {
      fields += 3 * f.records;
      zeros += f.zeroFields;
    }
    if (set.samples > 0) {
      return fields > 0 && zeros >= fields ? "no field of " + std::string(SetName(kind)) + " files is a number" : "";
    }
    std::string why;
    if (set.end == SetRecord::End::Error && set.files.size() == 1) {
      why = first.path + " could not be read (run-time error " + std::to_string(set.error.number) + ": " +
            set.error.description + ")";
    } else if (first.state == FileRecord::State::Missing) {
      why = first.path + " not found";
    } else if (first.state == FileRecord::State::Empty) {
      why = first.path + " was empty";
    } else {
      why = "its runs are too short to give a one-second sample (a run needs 11 records)";
    }
    // A file named nearly like the first one is most likely the user's.
    const std::string wanted = Lower(first.name);
    const std::string base = Lower(SetName(kind));
    for (const std::string& name : FolderEntries(Folder())) {
      const std::string lower = Lower(name);
      if (name != first.name &&
          (lower == wanted || lower.rfind(wanted + ".", 0) == 0 || lower == base + ".01" || lower == base + "1")) {
        why += "; the folder holds " + name + " (run files are named " + SetName(kind) +
               ".1, .2, … in upper case, without leading zeros or an extension)";
        break;
      }
    }
    return why;
  };
  switch (stage_) {
    case Stage::Calibrating: {
      const std::string why = emptyBecause(SetKind::Cal);
      if (!why.empty()) return "the CAL set is empty: " + why;
      break;
    }
    case Stage::FirstFit:
    case Stage::Filter:
    case Stage::FinalFit: {
      const std::string why = emptyBecause(SetKind::Data);
      if (!why.empty()) return "no usable sample in the DATA set: " + why;
      if (record_.weightN == 0.0) return "WEIGHT is 0, so every force is 0 and there is nothing to fit";
      if (stage_ == Stage::FinalFit && record_.finalFit.samplesOffered == 0) {
        return "no sample is left for the final fit: the outlier filter" +
               std::string(record_.window.applied ? " and the speed window" : "") + " excluded all " +
               std::to_string(record_.firstFit.used) + " samples of the first fit";
      }
      break;
    }
    default:
      break;
  }
  return error.Detail();
}

}  // namespace record
