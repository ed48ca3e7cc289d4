// The true road-load results of a simulated test, in the units, at the
// standard conditions and with the labels of the analysis report, so that
// truth.txt and the report can be read side by side.
#pragma once

#include <string>

#include "Config.h"

namespace sim {

struct Truth {
  // As the report shows them (lbf, lbf/mph, lbf/mph²; Cd without unit).
  double amech;
  double bmech;
  double cmech;
  double caero;
  double ctotl;
  double cd;
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
};

Truth ComputeTruth(const SimConfig& config);

// The six result lines with the report's labels, number formats and blank
// lines, each ended by CR LF.
std::string TruthResultLines(const Truth& truth);

// The whole truth.txt: the result lines, then a commented block with every
// parameter of the test and what a calibrated analysis should find.
std::string TruthFileText(const SimConfig& config, const Truth& truth);

}  // namespace sim
