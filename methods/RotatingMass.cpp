// Choosing the rotating mass.
#include "methods/RotatingMass.h"

#include "common/NumberText.h"
#include "methods/RegulationConstants.h"

RotatingMass ChooseRotatingMass(const std::optional<RotatingMassOption>& option, double testMassKg) {
  RotatingMass mass;
  if (!option) {
    mass.kg = regulation::DefaultRotatingMassKg(testMassKg);
    mass.source = "the default of UN GTR 15 Annex 4, 2.5.1: 3 % of (the mass in running order + 25 kg), with the "
                  "test mass " + FormatFixed(testMassKg, "0.0") +
                  " kg standing in for the mass in running order, which the ten fields do not carry";
  } else if (option->percentOfTestMass) {
    mass.kg = option->value / 100.0 * testMassKg;
    mass.source = "--rotating-mass " + option->text + " of the test mass " + FormatFixed(testMassKg, "0.0") + " kg";
  } else {
    mass.kg = option->value;
    mass.source = "--rotating-mass " + option->text;
  }
  return mass;
}
