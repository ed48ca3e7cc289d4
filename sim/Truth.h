// The true road-load results of a simulated test, in the units, at the
// standard conditions and with the labels of the analysis report, so that
// truth.txt and the report can be read side by side.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "Config.h"
#include "Runs.h"

namespace sim {

struct Truth {
  // As the report shows them (lbf, lbf/mph, lbf/mph²; Cd without unit).
  double amech;
  double bmech;
  double cmech;
  double caero;
  double ctotl;
  double cd;
  double areaFt2;  // as the report echoes it, through m² and back
  // The model behind them, SI, at test conditions.
  double m0;  // N
  double m1;  // N per m/s
  double m2;  // N per (m/s)²
  double a0;  // N per (m/s)², wind on the nose
  double a2;  // N per (m/s)² per degree²
  double testTemperatureC;
  double testPressureKpa;
  double testDensity;
  double standardDensity;
  double mechFactor;
  double aeroFactor;
  double massKg;          // as it weighs
  double rotatingMassKg;  // added to its inertia
  // The still-air road load F = f0 + f1·v + f2·v², N with v in km/h, at the
  // test's air density and temperature, and corrected to 20 °C and
  // 98.21 kPa by the analysis' factors (as Amech, Bmech and Ctotl are).
  double testF0;
  double testF1;
  double testF2;
  double standardF0;
  double standardF1;
  double standardF2;
};

Truth ComputeTruth(const SimConfig& config);

// What the simulated runs themselves saw, for the truth of the report's wind
// statistics and of its calibration's yaw offset.
struct TestFacts {
  // The true wind over the one-second samples of all DATA runs, in mph:
  // head positive against the odd runs, cross positive from their right,
  // the maxima as magnitudes.
  double meanHeadMph = 0.0;
  double meanCrossMph = 0.0;
  double maxHeadMph = 0.0;
  double maxCrossMph = 0.0;
  // Mean yaw reading of the ZERO runs, which the analysis subtracts; empty
  // when the test has none.
  std::optional<double> zeroMeanYawDeg;
  // Where the coast lies in each untrimmed DATA file, and every run in a
  // day recording: record numbers from 1.
  std::vector<FileSpan> coasts;
  std::vector<FileSpan> day;
};

// Mean yaw reading of the ZERO runs as the analysis forms it: the mean of
// their one-second samples at `rate` records a second. This is the yaw
// offset it subtracts.
double ZeroRunMeanYaw(const std::vector<Run>& runs, int rate);

// The true wind of the DATA runs, the ZERO runs' mean yaw reading and the
// coasts in untrimmed DATA files, for runs recorded at `rate` records a
// second.
TestFacts FactsOf(const std::vector<Run>& runs, int rate);

// The result lines as lines 2 to 10 of the report: Amech, Bmech, Cmech, an
// empty line, Caero, Ctotl, an empty line, Area and Cd, each ended by CR LF.
std::string TruthResultLines(const Truth& truth);

// The whole truth.txt: a title line, the result lines, the wind statistics
// and the calibration section in the report's layout, then a commented
// block with the model, the options that made the folder and every
// parameter.
std::string TruthFileText(const SimConfig& config, const Truth& truth, const TestFacts& facts);

}  // namespace sim
