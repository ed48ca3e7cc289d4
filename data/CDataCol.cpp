// The sample collection: adding and addressing samples, the reduction of a
// run file's raw samples to one-second samples, and loading a run-file set.
#include "data/CDataCol.h"

#include <cmath>
#include <string>

#include "calibration/CCalibrator.h"
#include "common/NumberText.h"
#include "common/RuntimeError.h"
#include "common/UnitFactors.h"
#include "data/LoadObserver.h"
#include "data/RunFileReader.h"

CDataCol::SampleRef CDataCol::Add(Real V, Real Vr, Real Yaw, Int16 run, Real delta, Real time) {
  ++addCounter_;
  SampleRef sample = NewSample();
  sample->nID = addCounter_;
  sample->dVehicleSpeed = V;
  sample->dWindSpeed = Vr;
  sample->dAngle = Yaw;
  sample->nRun = run;
  sample->dDelta = delta;
  sample->nTime = Int16::FromDouble(time.value());
  sample->nRunDir = (run % 2 == 1) ? 1 : -1;
  colSamples_.push_back(std::move(sample));
  return colSamples_.back();
}

CDataCol::SampleRef CDataCol::NewSample() {
  // Samples are carved from blocks so that a run file of thousands of
  // records costs a few allocations; each reference keeps its block alive.
  constexpr std::size_t kBlock = 256;
  if (!block_ || blockUsed_ == kBlock) {
    block_ = std::shared_ptr<CMeasurement[]>(new CMeasurement[kBlock]);
    blockUsed_ = 0;
  }
  return SampleRef(block_, &block_[blockUsed_++]);
}

void CDataCol::Delete(Int16 Index) {
  Item(static_cast<long>(Index.value()));
  colSamples_.erase(colSamples_.begin() + (Index.value() - 1));
}

const CDataCol::SampleRef& CDataCol::Item(long Index) const {
  if (Index < 1 || Index > Count()) {
    Raise(ErrorNumber::SubscriptOutOfRange,
          "position " + std::to_string(Index) + " of a collection of " + std::to_string(Count()));
  }
  return colSamples_[static_cast<std::size_t>(Index - 1)];
}

const CDataCol::SampleRef& CDataCol::Item(Real Index) const {
  const double position = Index.value();
  if (position != std::floor(position) || position < 1.0 || position > static_cast<double>(Count())) {
    Raise(ErrorNumber::SubscriptOutOfRange, "position " + NumberText(position) + " of a collection");
  }
  return Item(static_cast<long>(position));
}

void CDataCol::Reduce(Int16 run, const CDataCol& temp, bool calcDelta) {
  const long N = temp.Count();
  const Real R = Real(nSampleRate);
  const double G = std::floor((Real(static_cast<double>(N - 1)) / R).value()) - 1.0;
  const long rate = nSampleRate.value();
  for (Int16 i = 1; i.value() <= G; ++i) {
    const long ri = rate * i.value();
    Real speedSum = 0.0;
    Real windSum = 0.0;
    Real yawSum = 0.0;
    for (long p = ri - 1; p <= ri + rate - 2; ++p) {
      const CMeasurement& m = temp[p];
      speedSum += m.dVehicleSpeed;
      windSum += m.dWindSpeed;
      yawSum += m.dAngle;
    }
    const Real meanSpeed = speedSum / R;
    const Real meanWind = windSum / R;
    const Real meanYaw = yawSum / R;

    Real delta = 0.0;
    if (calcDelta) {
      // Trapezoidal mean speeds over the second before and the second after
      // position R·i + 1; their difference is the speed lost in one second.
      const long b = (i.value() - 1) * rate;
      Real A1 = 0.0;
      for (long k = 1; k <= rate + 1; ++k) {
        const Real w = (k == 1 || k == rate + 1) ? 0.5 : 1.0;
        A1 += w * temp[b + k].dVehicleSpeed / R;
      }
      Real A2 = 0.0;
      for (long k = rate + 1; k <= 2 * rate + 1; ++k) {
        const Real w = (k == rate + 1 || k == 2 * rate + 1) ? 0.5 : 1.0;
        A2 += w * temp[b + k].dVehicleSpeed / R;
      }
      delta = A1 - A2;
    }
    Add(meanSpeed, meanWind, meanYaw, run, delta, Real(i));
    if (i.value() == Int16::kMax) break;
  }
}

void CDataCol::Load(const std::string& sFile, CCalibrator& cal, Real offset, LoadObserver* observer) {
  Int16 n = 0;
  for (;;) {
    ++n;
    const std::string fileName = sFile + "." + std::to_string(n.value());
    RunFileFacts* facts = observer != nullptr ? &observer->OnRunFile(fileName, n) : nullptr;
    CDataCol temp;
    if (ReadRunFile(fileName, n, temp, offset, facts) == 0) break;
    cal.Adjust(temp);
    if (observer != nullptr) observer->OnRunRecords(temp);
    const long before = Count();
    Reduce(n, temp, true);
    if (facts != nullptr) facts->samples = Count() - before;
  }
  totalRun = n - 1;
}

Int16 CDataCol::ReadRunFile(const std::string& fileName, Int16 run, CDataCol& temp, Real offset,
                            RunFileFacts* facts) {
  const Real speedFactor = UnitFactors().SpeedFactor;
  const RunFileState state = ReadRunFileRecords(
      fileName,
      [&](double a, double b, double c) {
        temp.Add(Real(a) * speedFactor, Real(b) * speedFactor, Real(c) - offset, run);
      },
      facts != nullptr ? &facts->text : nullptr, facts != nullptr ? &facts->bytes : nullptr,
      facts != nullptr && facts->digest ? &facts->sha256 : nullptr);
  if (facts != nullptr) facts->state = state;
  return state == RunFileState::Read ? 1 : 0;
}

CDataCol::SampleRef CDataCol::Average() const {
  auto s = std::make_shared<CMeasurement>();
  for (const CMeasurement& m : *this) {
    if (m.nRun <= 0) continue;
    ++s->nRun;
    s->dAngle += m.dAngle;
    s->dVehicleSpeed += m.dVehicleSpeed;
    s->dWindSpeed += m.dWindSpeed;
    s->dDelta += m.dDelta;
  }
  s->dAngle /= Real(s->nRun);
  s->dVehicleSpeed /= Real(s->nRun);
  s->dWindSpeed /= Real(s->nRun);
  s->dDelta /= Real(s->nRun);
  return s;
}

void CDataCol::RunAverage(CDataCol& newData) const {
  for (Int16 r = 1; r <= totalRun; ++r) {
    newData.Add(0.0, 0.0, 0.0, r, 0.0, 0.0);
    newData[r.value()].nRun = 0;
    if (r.value() == Int16::kMax) break;
  }
  for (const CMeasurement& m : *this) {
    if (m.nRun <= 0) continue;
    CMeasurement& a = newData[m.nRun.value()];
    ++a.nRun;
    a.dAngle += m.dAngle;
    a.dVehicleSpeed += m.dVehicleSpeed;
    a.dWindSpeed += m.dWindSpeed;
    a.dDelta += m.dDelta;
  }
  for (CMeasurement& a : newData) {
    a.dAngle /= Real(a.nRun);
    a.dVehicleSpeed /= Real(a.nRun);
    a.dWindSpeed /= Real(a.nRun);
    a.dDelta /= Real(a.nRun);
  }
}

void CDataCol::StdDiv(const CDataCol& runAvg, CDataCol& deviation) const {
  for (Int16 r = 1; r <= totalRun; ++r) {
    deviation.Add(0.0, 0.0, 0.0, 0, 0.0, 0.0);
    if (r.value() == Int16::kMax) break;
  }
  for (const CMeasurement& m : *this) {
    if (m.nRun <= 0) continue;
    const long r = m.nRun.value();
    const CMeasurement& a = runAvg[r];
    CMeasurement& d = deviation[r];
    d.dAngle += Pow(a.dAngle - m.dAngle, 2.0);
    d.dVehicleSpeed += Pow(a.dVehicleSpeed - m.dVehicleSpeed, 2.0);
    d.dWindSpeed += Pow(a.dWindSpeed - m.dWindSpeed, 2.0);
    d.dDelta += Pow(a.dDelta - m.dDelta, 2.0);
  }
  for (CMeasurement& d : deviation) {
    const Int16 c = runAvg[d.nID.value()].nRun;
    const Real divisor = Real(c - 1);
    d.dAngle = Sqrt(d.dAngle / divisor);
    d.dVehicleSpeed = Sqrt(d.dVehicleSpeed / divisor);
    d.dWindSpeed = Sqrt(d.dWindSpeed / divisor);
    d.dDelta = Sqrt(d.dDelta / divisor);
    d.nRun = 1;
  }
}

void CDataCol::LimitData(Real minV, Real maxV, Real minVr, Real maxVr, Real minYaw, Real maxYaw) {
  for (CMeasurement& m : *this) {
    if (m.nRun <= 0) continue;
    // Three tests in the order the window is checked; the first that fails
    // excludes the sample.
    if (m.dVehicleSpeed < minV || m.dVehicleSpeed > maxV) {  // NOLINT(bugprone-branch-clone)
      m.nRun = -1;
    } else if (m.dWindSpeed < minVr || m.dWindSpeed > maxVr) {
      m.nRun = -1;
    } else if (m.dAngle < minYaw || m.dAngle > maxYaw) {
      m.nRun = -1;
    }
  }
}
