// The small value types the record's parts share: a value that does not
// exist, a contribution to a standard uncertainty, and a fitted quantity
// with its interval.
#pragma once

#include <limits>
#include <string>
#include <vector>

namespace record {

inline constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

// One contribution to a standard uncertainty: "fit", or the name of an
// input quantity (InputUncertainty), with its share in the result's unit.
struct UncertaintyComponent {
  std::string source;
  double value = kNone;
  double dof = kNone;
};

// A fitted quantity with its 95 % confidence interval: the combined
// standard uncertainty of its components, expanded by Student's t at the
// effective degrees of freedom of the combination (Welch-Satterthwaite).
struct Estimate {
  std::string name;   // "m0", "Amech", "f2", "Cd", …
  std::string unit;   // "N", "lbf/mph^2", "N/(km/h)^2", "m^2", ""
  double value = kNone;
  double standardError = kNone;  // NaN when it has none (a term held fixed)
  double dof = kNone;            // effective degrees of freedom of standardError
  double low = kNone, high = kNone;
  std::vector<UncertaintyComponent> components;
};

}  // namespace record
