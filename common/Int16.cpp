// Checked 16-bit integer: the conversions and the one error it raises.
#include "common/Int16.h"

#include <cmath>
#include <string>

#include "common/RuntimeError.h"

void Int16::RaiseOverflow(long long value) {
  Raise(ErrorNumber::Overflow, std::to_string(value) + " is outside the 16-bit range -32768..32767");
}

Int16 Int16::FromLong(long long value) {
  Int16 result;
  result.value_ = Checked(value);
  return result;
}

Int16 Int16::FromDouble(double value) {
  // Compare before converting so that huge values never reach an integer type.
  if (!(value >= kMin - 0.5 && value <= kMax + 0.5)) {
    Raise(ErrorNumber::Overflow, "a value outside the 16-bit range -32768..32767");
  }
  const double whole = std::nearbyint(value);  // default rounding: halves to even
  return FromLong(static_cast<long long>(whole));
}

Int16 operator%(Int16 a, Int16 b) {
  if (b.value_ == 0) Raise(ErrorNumber::DivisionByZero, "remainder by zero");
  return Int16(a.value_ % b.value_);
}
