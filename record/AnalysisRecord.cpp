// Names of the record's enumerations, as the outputs write them, and the
// numbers of the fields.
#include "record/AnalysisRecord.h"

#include <charconv>

namespace record {

double AnalysisRecord::FieldNumber(CommandField field) const {
  const std::size_t index = FieldIndex(field);
  if (index >= fields.size()) return kNone;
  const std::string& text = fields[index];
  double value = 0.0;
  return std::from_chars(text.data(), text.data() + text.size(), value).ec == std::errc() ? value : kNone;
}

const char* SetName(SetKind kind) {
  switch (kind) {
    case SetKind::Zero: return "ZERO";
    case SetKind::Cal: return "CAL";
    case SetKind::Data: return "DATA";
  }
  return "";
}

const char* MotionName(Motion motion) {
  switch (motion) {
    case Motion::Coasting: return "coasting";
    case Motion::Standstill: return "standstill";
    case Motion::Braking: return "braking";
    case Motion::Rising: return "rising speed";
    case Motion::Held: return "held speed";
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
