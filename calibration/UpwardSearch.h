// The coarse-to-fine upward line search both fits of the anemometer
// calibration use, on its own so that it can be checked on mismatches of
// known shape.
#pragma once

#include "common/Int16.h"
#include "common/Real.h"
#include "common/RuntimeError.h"

// The mismatch every search starts from; any real trial is accepted against it.
inline constexpr double kNoMismatchYet = 9999999.0;
// With a constant mismatch every trial ties and the search would climb for
// ever; a level that accepts this many trials is not going to end.
inline constexpr int kMaxTrialsPerLevel = 10000;

// Four levels whose steps are 10^L / stepDivisor for L = 3, 2, 1, 0. Each
// trial adds the step to the previous value (the repeated additions are part
// of the result) and `trial` sets the coupled coefficients and returns the
// mismatch to minimise. A trial no worse than the best continues upwards;
// the first worse one steps back two steps, to one step below the last
// accepted value, and the next level starts from there. The search
// therefore ends one finest step below the best value found. A level that
// never ends is error 5.
template <typename Trial>
void UpwardSearch(Real& value, Real start, Real stepDivisor, Trial trial) {
  value = start;
  Real best = kNoMismatchYet;
  Real previous = kNoMismatchYet;
  for (Int16 L = 3; L >= 0; --L) {
    const Real step = Pow(10.0, Real(L)) / stepDivisor;
    Int16 accepted = 0;
    for (;;) {
      value = value + step;
      const Real mismatch = trial();
      if (mismatch > best) {
        value = value - 2.0 * step;
        best = previous;
        previous = kNoMismatchYet;
        break;
      }
      previous = best;
      best = mismatch;
      ++accepted;
      if (accepted.value() == kMaxTrialsPerLevel) {
        Raise(ErrorNumber::InvalidProcedureCall, "calibration search does not converge");
      }
    }
  }
}
