// What became of each sample of the record. The steps of the analysis do
// not say which samples they leave out: they clear the sample's run number.
// So the samples join the record with the status they start with, and
// comparing which DATA samples the collection includes before and after a
// step names the ones that step excluded.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "record/AnalysisRecord.h"

class CDataCol;
class CMeasurement;

namespace record {

class SampleStatuses {
 public:
  explicit SampleStatuses(AnalysisRecord& record) : record_(record) {}

  // The samples of a loaded set join the record, once, and the set's runs
  // and samples are counted: ZERO and CAL samples as used, DATA ones as not
  // used until the final fit uses them.
  void Join(SetKind kind, const CDataCol& data);
  bool Joined(SetKind kind) const { return joined_[static_cast<std::size_t>(kind)]; }
  // The set was loaded and then not used (the average of the ZERO set failed).
  void NotUsed(SetKind kind);
  // The CAL samples the calibration's yaw test excluded; how many.
  long YawOutliers(const CDataCol& calData);

  // Before a step on the DATA set: which samples take part; how many.
  long Before(const CDataCol& data);
  // After the step: the samples it excluded get `status`; how many.
  long Excluded(const CDataCol& data, SampleStatus status);
  // The samples that took part after the last step.
  long Included() const { return takingPart_; }
  // The final fit used the samples it still includes.
  void Used(const CDataCol& data);
  // The residual the outlier filter judged, for each sample it tested.
  void FilterResiduals(const std::vector<double>& residuals, const std::vector<CMeasurement*>& samples);

 private:
  AnalysisRecord& record_;
  std::array<bool, 3> joined_{};
  std::size_t dataStart_ = 0;                     // where the DATA samples begin in record_.samples
  std::vector<const CMeasurement*> dataSamples_;  // the DATA samples in collection order
  std::vector<char> included_;                    // which of them took part after the last step
  long takingPart_ = 0;                           // how many
};

}  // namespace record
