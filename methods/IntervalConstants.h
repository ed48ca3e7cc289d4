// The interval method's constants as the user sees them: each by a name the
// command line sets it with (--constant NAME=VALUE), its unit, its value,
// the paragraph of the regulation it comes from and whether that paragraph
// could be read. The report, the record and the README list them from here.
#pragma once

#include <string>
#include <vector>

#include "methods/IntervalTypes.h"

// How sure the program is of a constant's value.
enum class ConstantStatus {
  Confirmed,     // read in a public copy of the regulation
  NotConfirmed,  // the copies found lose it; recalled, and settable
  Proposal,      // from a proposed amendment, not adopted text
  OurChoice,     // where the regulation is silent: the program's own choice
};
const char* ConstantStatusName(ConstantStatus status);  // "confirmed", "not confirmed", …

struct IntervalConstant {
  const char* name;       // "accuracy_limit_percent"
  const char* unit;       // "%", "km/h", "" …
  const char* meaning;    // in words
  std::string source;     // "UN GTR 15 Annex 4 (EU 2017/1151 …), 4.3.1.4.2"
  ConstantStatus status;
  double lowest, highest;  // the values a user may set, inclusive
  bool whole;              // only whole numbers
  double (*get)(const IntervalSettings&);
  void (*set)(IntervalSettings&, double);
};

// Every settable constant, in the order the report lists them.
const std::vector<IntervalConstant>& IntervalConstants();
// The constant of that name, or nullptr.
const IntervalConstant* FindIntervalConstant(const std::string& name);
// "accuracy_limit_percent, least_pairs, …": the names, for a message.
std::string IntervalConstantNames();
// Whether `value` may be set for the constant; otherwise `why` says what may.
bool IntervalConstantAllows(const IntervalConstant& constant, double value, std::string& why);
