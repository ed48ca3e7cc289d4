// Reading the options that choose the analysis method and give it what the
// ten fields do not carry (--method, --rate, --si, --track-wind, --yaw-curve,
// --rotating-mass, --no-anemometer, --constant, --reject-run). They are read
// and checked before anything else is: a value that is not a number or out
// of range, and an option the chosen method does not use, are error 5
// naming the option and the method that takes it.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "methods/AnalysisMethod.h"
#include "methods/MethodOptions.h"

// The option words as typed, in order: the option and its value ("" for a switch).
using MethodOptionWords = std::vector<std::pair<std::string, std::string>>;

// Whether `word` is one of the method options; if it is, it is added to
// `words` with its value, taken from `all` at `next` (which moves past it).
// An option without its value is error 5.
bool TakeMethodOption(const std::string& word, const std::vector<std::string>& all, std::size_t& next,
                      MethodOptionWords& words);

// The options checked against each other; error 5 names what is wrong.
MethodOptions ReadMethodOptions(const MethodOptionWords& words);

// What the options give a method on the calibrated records
// (SAEAppWrapper::UseMethod): the rate, the rotating mass as given, the wind
// beside the track in m/s (`speedFactor`: m/s per unit of the run files;
// a file is read here, its errors raised), the yaw curve's file and
// --no-anemometer. The pipeline adds the test's conditions.
MethodConditions GivenMethodConditions(const MethodOptions& options, double speedFactor);
