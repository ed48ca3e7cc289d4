// The checked double: the errors it raises and its elementary functions.
#include "common/Real.h"

#include "common/RuntimeError.h"

void Real::RaiseNotFinite(double value) {
  if (std::isnan(value)) Raise(ErrorNumber::InvalidProcedureCall, "a floating-point operation without a real result");
  Raise(ErrorNumber::Overflow, "a floating-point result too large for a double");
}

void Real::RaiseDivisionByZero() { Raise(ErrorNumber::DivisionByZero); }

Real Pow(Real base, Real exponent) {
  const double b = base.value();
  const double e = exponent.value();
  if (b == 0.0 && e < 0.0) Raise(ErrorNumber::DivisionByZero, "zero raised to a negative power");
  return Real(std::pow(b, e));
}

Real Sqrt(Real x) {
  if (x < 0.0) Raise(ErrorNumber::InvalidProcedureCall, "square root of a negative number");
  return Real(std::sqrt(x.value()));
}

Real Sin(Real radians) { return Real(std::sin(radians.value())); }
Real Cos(Real radians) { return Real(std::cos(radians.value())); }
