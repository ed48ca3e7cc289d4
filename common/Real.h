// A double whose every operation is checked: a division by zero (0/0
// included) raises error 11, a result too large for a double raises error 6,
// and an operation without a real result raises error 5, at the operation
// itself. A Real therefore never holds a NaN or an infinity, and all of the
// analysis is written in Reals so that no such value can travel on.
#pragma once

#include <cmath>
#include <compare>

#include "common/Int16.h"

class Real {
 public:
  constexpr Real() = default;
  // Implicit so that literals and plain doubles mix with Reals in formulas.
  Real(double value) : value_(value) {  // NOLINT(google-explicit-constructor)
    if (!std::isfinite(value)) [[unlikely]] RaiseNotFinite(value);
  }
  Real(Int16 value) : value_(value.value()) {}  // NOLINT(google-explicit-constructor)

  constexpr double value() const { return value_; }
  explicit constexpr operator double() const { return value_; }

  friend Real operator+(Real a, Real b) { return Real(a.value_ + b.value_); }
  friend Real operator-(Real a, Real b) { return Real(a.value_ - b.value_); }
  friend Real operator*(Real a, Real b) { return Real(a.value_ * b.value_); }
  friend Real operator/(Real a, Real b) {
    if (b.value_ == 0.0) [[unlikely]] RaiseDivisionByZero();
    return Real(a.value_ / b.value_);
  }
  Real operator-() const { return Unchecked(-value_); }

  Real& operator+=(Real o) { return *this = *this + o; }
  Real& operator-=(Real o) { return *this = *this - o; }
  Real& operator*=(Real o) { return *this = *this * o; }
  Real& operator/=(Real o) { return *this = *this / o; }

  friend constexpr bool operator==(Real a, Real b) { return a.value_ == b.value_; }
  friend constexpr std::partial_ordering operator<=>(Real a, Real b) { return a.value_ <=> b.value_; }

 private:
  static constexpr Real Unchecked(double v) {
    Real r;
    r.value_ = v;
    return r;
  }
  [[noreturn]] static void RaiseNotFinite(double value);
  [[noreturn]] static void RaiseDivisionByZero();

  double value_ = 0.0;
};

// base to the power exponent (std::pow). No real value is error 5; zero to a
// negative power is a division by zero (11); too large a result is error 6.
Real Pow(Real base, Real exponent);
// The square root of a negative number is error 5.
Real Sqrt(Real x);
Real Sin(Real radians);
Real Cos(Real radians);
inline Real Abs(Real x) { return x < 0.0 ? -x : x; }
