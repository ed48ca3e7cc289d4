// What one run of the interval method took and found, as the record, the
// page and the report show it: the settings and conditions it used and where
// they came from, the wind beside the track run by run, and the method's
// whole result.
#pragma once

#include <string>
#include <vector>

#include "methods/IntervalTypes.h"
#include "methods/RotatingMass.h"

// The wind beside the track during one DATA run.
struct TrackWindRun {
  int run = 0;
  int direction = 0;
  double speedMs = 0.0;      // mean wind speed
  double fromDeg = 0.0;      // where it blew from, clockwise from the odd runs' heading
  double headOnMs = 0.0;     // along the track, against the run
  double crossMs = 0.0;      // across the track, from the odd runs' right
};

struct IntervalAnalysis {
  bool ran = false;
  IntervalSettings settings;
  IntervalConditions conditions;   // m_av, TM, m_r, T, p, the runs rejected
  RotatingMass rotatingMass;       // m_r and how it was set
  std::vector<std::string> constantsSet;  // names of the constants the user set
  double lowestTestedKmh = 0.0, highestTestedKmh = 0.0;  // MIN_SPEED and MAX_SPEED
  std::string trackWindSource;     // the --track-wind value; empty without
  std::vector<TrackWindRun> trackWind;
  IntervalResult result;
  // The result is one the regulation accepts: every reference speed has the
  // least number of valid pairs and p within its limit. Otherwise why not.
  bool valid = false;
  std::vector<std::string> invalidBecause;
  // What the run itself has to say besides the method's issues.
  std::vector<std::string> notes;
};
