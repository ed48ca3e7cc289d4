// The directions of the runs, from a GPS logger's heading: a coastdown
// track is straight, so the headings of moving records lie along one axis,
// and each run goes one way along it or the other. coastdown takes odd DATA
// runs one way and even ones the other, and each CAL pair as opposite;
// the headings show whether the runs imported do.
#pragma once

#include <cstddef>
#include <vector>

#include "Recording.h"

namespace importer {

struct TrackAxis {
  bool straight = false;       // the headings lie along one axis
  double axisDeg = 0.0;        // one way along it, degrees
  double concentration = 0.0;  // 0 to 1: how closely the headings keep to it
};

// The axis of the headings of every record at `minSpeed` or more (with a
// heading) of the recordings, by the mean of the doubled angles; straight
// when their concentration is 0.8 or more.
TrackAxis AxisOf(const std::vector<Recording>& recordings, double minSpeed);

struct RunDirection {
  int sign = 0;              // +1 along the axis, -1 against it, 0 unknown
  double headingDeg = 0.0;   // the mean heading, 0 to 360
  double otherShare = 0.0;   // share of the records that go the other way
};

// The direction of records first..last of a recording (those at `minSpeed`
// or more with a heading).
RunDirection DirectionOf(const Recording& recording, std::size_t first, std::size_t last, const TrackAxis& axis,
                         double minSpeed);

}  // namespace importer
