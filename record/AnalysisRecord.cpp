// Names of the record's enumerations, as the outputs write them.
#include "record/AnalysisRecord.h"

namespace record {

const char* SetName(SetKind kind) {
  switch (kind) {
    case SetKind::Zero: return "ZERO";
    case SetKind::Cal: return "CAL";
    case SetKind::Data: return "DATA";
  }
  return "";
}

const char* StatusName(SampleStatus status) {
  switch (status) {
    case SampleStatus::Used: return "used";
    case SampleStatus::NegativeDeceleration: return "negative deceleration";
    case SampleStatus::FilterOutlier: return "filter outlier";
    case SampleStatus::YawOutlier: return "yaw outlier";
    case SampleStatus::OutsideWindow: return "outside window";
    case SampleStatus::NotUsed: return "not used";
  }
  return "";
}

}  // namespace record
