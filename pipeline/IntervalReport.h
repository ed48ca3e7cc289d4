// The plain-text report of the interval method, laid out so that it can be
// printed into a test file: the result and whether the regulation accepts
// it first, then the test, every run's coastdown time through every
// reference speed's interval, the pairs, the accuracy and force at each
// reference speed, f0, f1, f2 at test conditions, each correction with its
// value, the corrected road load, the constants with their sources, the
// checks and the notes. 8-bit text, CR LF line ends, as the specified report.
#pragma once

#include <string>
#include <vector>

#include "methods/IntervalAnalysis.h"

struct IntervalReportHead {
  std::vector<std::string> fields;  // the ten fields as typed
  bool si = false;                  // --si: the fields in km/h, kg, °C, kPa, m²
  std::string date;                 // "Mar 5 2025 at 3:04:05 PM"
};

std::string IntervalReportText(const IntervalAnalysis& analysis, const IntervalReportHead& head);
