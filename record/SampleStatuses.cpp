// The status of each sample, from the collections before and after each step.
#include "record/SampleStatuses.h"

#include <algorithm>
#include <cmath>

#include "data/CDataCol.h"
#include "data/CMeasurement.h"

namespace record {

namespace {

bool IsIncluded(const CMeasurement& m) { return m.nRun.value() > 0; }

}  // namespace

void SampleStatuses::Join(SetKind kind, const CDataCol& data) {
  const auto k = static_cast<std::size_t>(kind);
  if (joined_[k]) return;
  joined_[k] = true;
  SetRecord& set = record_.Set(kind);
  // The runs that reached the collection: a file that an error ended gives none.
  set.runs = static_cast<int>(std::count_if(set.files.begin(), set.files.end(), [](const FileRecord& f) {
    return f.state == FileRecord::State::Read;
  }));
  set.samples = data.Count();
  if (kind == SetKind::Data) {
    dataStart_ = record_.samples.size();
    dataSamples_.reserve(dataSamples_.size() + static_cast<std::size_t>(data.Count()));
  }
  record_.samples.reserve(record_.samples.size() + static_cast<std::size_t>(data.Count()));
  const double k2r = DegreeToRadianFactor().value();
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

void SampleStatuses::NotUsed(SetKind kind) {
  for (SampleRecord& s : record_.samples) {
    if (s.set == kind) s.status = SampleStatus::NotUsed;
  }
}

long SampleStatuses::YawOutliers(const CDataCol& calData) {
  // The CAL samples joined in the order of the collection.
  long outliers = 0;
  std::size_t i = 0;
  while (i < record_.samples.size() && record_.samples[i].set != SetKind::Cal) ++i;
  for (const CMeasurement& m : calData) {
    if (i < record_.samples.size() && !IsIncluded(m)) {
      record_.samples[i].status = SampleStatus::YawOutlier;
      ++outliers;
    }
    ++i;
  }
  return outliers;
}

long SampleStatuses::Before(const CDataCol& data) {
  included_.clear();
  included_.reserve(static_cast<std::size_t>(data.Count()));
  takingPart_ = 0;
  for (const CMeasurement& m : data) {
    const bool included = IsIncluded(m);
    included_.push_back(included ? 1 : 0);
    takingPart_ += included ? 1 : 0;
  }
  return takingPart_;
}

long SampleStatuses::Excluded(const CDataCol& data, SampleStatus status) {
  const long before = takingPart_;
  takingPart_ = 0;
  std::size_t p = 0;
  for (const CMeasurement& m : data) {
    const bool included = IsIncluded(m);
    if (p < included_.size()) {
      if (included_[p] != 0 && !included && dataStart_ + p < record_.samples.size()) {
        record_.samples[dataStart_ + p].status = status;
      }
      included_[p] = included ? 1 : 0;
    } else {
      included_.push_back(included ? 1 : 0);
    }
    takingPart_ += included ? 1 : 0;
    ++p;
  }
  included_.resize(p);
  return before - takingPart_;
}

void SampleStatuses::Used(const CDataCol& data) {
  std::size_t p = 0;
  for (const CMeasurement& m : data) {
    if (IsIncluded(m) && dataStart_ + p < record_.samples.size()) {
      record_.samples[dataStart_ + p].status = SampleStatus::Used;
    }
    ++p;
  }
}

void SampleStatuses::FilterResiduals(const std::vector<double>& residuals,
                                     const std::vector<CMeasurement*>& samples) {
  // The filter tests the included samples in collection order, so each is
  // found by going on from the one before.
  std::size_t p = 0;
  for (std::size_t i = 0; i < residuals.size() && i < samples.size(); ++i) {
    std::size_t at = p;
    while (at < dataSamples_.size() && dataSamples_[at] != samples[i]) ++at;
    if (at == dataSamples_.size()) continue;
    record_.samples[dataStart_ + at].filterResidual = residuals[i];
    p = at + 1;
  }
}

}  // namespace record
