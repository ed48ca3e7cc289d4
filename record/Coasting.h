// Which DATA samples are not those of a coast: a run file that holds the
// driving around its coast (as a logger records it untrimmed) gives
// samples at standstill, while braking, while the speed rises or is held,
// and each of them is a force the road-load model cannot explain. Found from the
// samples' speed and deceleration alone, against the coast the DATA
// samples themselves describe.
#pragma once

#include <string>
#include <vector>

#include "record/AnalysisRecord.h"

namespace record {

// Marks the motion of every DATA sample of the record.
void MarkMotion(AnalysisRecord& record);

// The stretches of one motion other than coasting, run by run, in time order.
struct MotionSpan {
  int run = 0;
  int from = 0, to = 0;  // seconds, inclusive
  Motion motion = Motion::Coasting;
};
std::vector<MotionSpan> NotCoasting(const AnalysisRecord& record);

}  // namespace record
