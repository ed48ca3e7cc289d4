// The wind a stationary anemometer beside the track records during each
// DATA run, in the form coastdown's --track-wind reads: RUN,SPEED,FROM with
// the speed in mph and where the wind blows from in degrees clockwise from
// the odd runs' heading.
#pragma once

#include <string>
#include <vector>

#include "Config.h"
#include "Runs.h"
#include "Wind.h"

namespace sim {

struct TrackWind {
  int run;
  double speedMph;
  double fromDeg;  // 0 to 360
};

// The mean of the true wind vector over each DATA run's coast (so that
// SPEED·cos(FROM) is the mean along-track wind the run met), with the
// configured error of a stationary anemometer added to each component.
std::vector<TrackWind> TrackWinds(const SimConfig& config, const WindField& wind, const std::vector<Run>& runs);

// The text of trackwind.csv: a header line `run,speed,from`, then one line
// a DATA run, CR LF line ends.
std::string TrackWindFileText(const std::vector<TrackWind>& winds);

}  // namespace sim
