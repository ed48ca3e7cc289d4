// The rotating mass m_r that the new methods add to the test mass as the
// inertia of the wheels and the parts that turn with them: given with
// --rotating-mass in kg or as a share of the test mass, or by the
// light-vehicle regulation's default rule (UN GTR 15 Annex 4, 2.5.1: 3 % of
// the mass in running order plus 25 kg).
#pragma once

#include <optional>
#include <string>

// --rotating-mass as typed: NUMBERkg, or NUMBER% of the test mass.
struct RotatingMassOption {
  double value = 0.0;
  bool percentOfTestMass = false;
  std::string text;
};

struct RotatingMass {
  double kg = 0.0;
  std::string source;  // how it was set, in words
};

// m_r for a test mass of `testMassKg`. The ten fields carry no mass in
// running order, so the default rule takes the test mass in its place, which
// overstates m_r by 3 % of the payload and options; the source says so.
RotatingMass ChooseRotatingMass(const std::optional<RotatingMassOption>& option, double testMassKg);
