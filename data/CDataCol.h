// The ordered, 1-based collection of shared samples that every step of the
// analysis passes around: adding, loading a numbered run-file set through a
// calibrator, the reduction to one sample per second, and the statistics and
// window filter that condition a loaded collection.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "common/Int16.h"
#include "common/Real.h"
#include "data/CMeasurement.h"

class CCalibrator;
class LoadObserver;
struct RunFileFacts;

class CDataCol {
 public:
  using SampleRef = std::shared_ptr<CMeasurement>;

  // Iteration in position order hands out the very samples the collection holds.
  class Iterator {
   public:
    using Base = std::vector<SampleRef>::const_iterator;
    explicit Iterator(Base it) : it_(it) {}
    CMeasurement& operator*() const { return **it_; }
    CMeasurement* operator->() const { return it_->get(); }
    Iterator& operator++() {
      ++it_;
      return *this;
    }
    bool operator==(const Iterator& other) const = default;

   private:
    Base it_;
  };

  Int16 totalRun = 0;     // run files read by the last Load
  Int16 nSampleRate = 5;  // raw samples per second of the run files

  // Creates a sample, appends it and returns it. nTime is `time` rounded half
  // to even; nRunDir is +1 when run leaves the remainder 1 by 2, else -1.
  SampleRef Add(Real V, Real Vr, Real Yaw, Int16 run, Real delta = 0.0, Real time = 0.0);
  long Count() const { return static_cast<long>(colSamples_.size()); }
  // Removes the sample at 1-based `Index`; later samples move up.
  void Delete(Int16 Index);
  // The sample at 1-based `Index`; outside 1 to Count is error 9.
  const SampleRef& Item(long Index) const;
  const SampleRef& Item(Real Index) const;
  CMeasurement& operator[](long Index) const { return *Item(Index); }
  Iterator begin() const { return Iterator(colSamples_.begin()); }
  Iterator end() const { return Iterator(colSamples_.end()); }

  // The mean sample of all included samples; nRun holds their number.
  SampleRef Average() const;
  // Fills the new, empty `newData` with the mean sample of every run 1 to totalRun.
  void RunAverage(CDataCol& newData) const;
  // Fills the new, empty `deviation` with the sample standard deviation of every run.
  void StdDiv(const CDataCol& runAvg, CDataCol& deviation) const;
  // Appends one sample per whole second of the raw samples in `temp`.
  void Reduce(Int16 run, const CDataCol& temp, bool calcDelta = false);
  // Appends the reduced samples of the set sFile.1, sFile.2, … read through
  // `cal`, with `offset` subtracted from every yaw reading; sets totalRun.
  // `observer`, when given, hears what each file held.
  void Load(const std::string& sFile, CCalibrator& cal, Real offset, LoadObserver* observer = nullptr);
  // Excludes (nRun = -1) included samples outside the window; bounds are inclusive.
  void LimitData(Real minV, Real maxV, Real minVr, Real maxVr, Real minYaw, Real maxYaw);

 private:
  // 1 when the file was read into `temp`, 0 when it is missing or empty.
  Int16 ReadRunFile(const std::string& fileName, Int16 run, CDataCol& temp, Real offset,
                    RunFileFacts* facts = nullptr);

  SampleRef NewSample();

  std::vector<SampleRef> colSamples_;
  Int16 addCounter_ = 0;
  std::shared_ptr<CMeasurement[]> block_;
  std::size_t blockUsed_ = 0;
};
