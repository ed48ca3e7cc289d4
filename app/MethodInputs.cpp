// The options' part of a method's conditions.
#include "app/MethodInputs.h"

#include <algorithm>
#include <cmath>

#include "common/UnitFactors.h"
#include "methods/TrackWind.h"

MethodConditions MethodInputsFromOptions(const MethodOptions& options) {
  MethodConditions c;
  c.rateHz = options.rateHz;
  c.yawCurveFile = options.yawCurveFile;
  c.noAnemometer = options.noAnemometer;
  if (options.trackWind) {
    std::vector<TrackWindReading> readings;
    if (options.trackWind->wholeTest) {
      readings.push_back({0, options.trackWind->speed, options.trackWind->fromDeg});
    } else {
      readings = ReadTrackWindFile(options.trackWind->file);
    }
    const double speedFactor = UnitFactors().SpeedFactor.value();
    for (TrackWindReading& r : readings) r.speed *= speedFactor;
    c.trackWindMs = readings;
  }
  return c;
}

int SampleRecords(double rateHz) { return static_cast<int>(std::max(2.0, std::round(rateHz))); }
