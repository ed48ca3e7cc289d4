// The wind a stationary anemometer beside the track measured, as the new
// methods take it (--track-wind): one mean wind for the whole test, or a CSV
// file with one line per DATA run, RUN,SPEED,FROM. SPEED is in the run
// files' speed unit; FROM is where the wind blows from, degrees clockwise
// from the heading of the odd runs (0: head wind for the odd runs).
#pragma once

#include <string>
#include <vector>

#include "methods/MethodOptions.h"

struct TrackWindReading {
  int run = 0;         // n of DATA.n; 0 for the whole test
  double speed = 0.0;  // in the unit it was given in
  double fromDeg = 0.0;
};

// The lines of a track-wind file. Lines starting with '#' and blank lines
// are left out, and the first other line may be a header "run,speed,from"
// (any case).
// A file that cannot be read raises the file errors naming it; a line that
// is not RUN,SPEED,FROM (a whole run number from 1, a speed from 0, a
// finite direction) or a run given twice is error 13 naming the file and line.
std::vector<TrackWindReading> ReadTrackWindFile(const std::string& path);

// What --track-wind gives: one reading per DATA run from its file, or one
// for the whole test (run 0), the speed times `toMs` (the run files' speed
// unit in m/s). The file errors of ReadTrackWindFile.
std::vector<TrackWindReading> TrackWindReadings(const TrackWindOption& option, double toMs);

// The reading for DATA run `run`: its own, or the whole test's; nullptr
// when there is none.
const TrackWindReading* TrackWindOf(const std::vector<TrackWindReading>& readings, int run);

// The mean wind along the track that a run of `direction` (+1 odd runs, −1
// even) met head-on, SPEED·cos(FROM) for the odd runs and −SPEED·cos(FROM)
// for the even ones, in the reading's unit.
double HeadOnComponent(const TrackWindReading& reading, int direction);
// The mean wind across the track, from the right of the odd runs.
double CrossComponent(const TrackWindReading& reading);
