// A 16-bit signed integer whose arithmetic and conversions raise the
// overflow error instead of wrapping: counters, run numbers, positions,
// orders and time stamps all live in this range.
#pragma once

#include <compare>
#include <cstdint>

class Int16 {
 public:
  static constexpr int kMin = -32768;
  static constexpr int kMax = 32767;

  constexpr Int16() = default;
  // Implicit from int so that literals read naturally; out of range is error 6.
  constexpr Int16(int value) : value_(Checked(value)) {}  // NOLINT(google-explicit-constructor)

  // A whole number of any width; out of range is error 6.
  static Int16 FromLong(long long value);
  // Rounds to the nearest whole number, halves to the even neighbour, as a
  // time stamp needs; out of range is error 6.
  static Int16 FromDouble(double value);

  constexpr int value() const { return value_; }

  friend constexpr Int16 operator+(Int16 a, Int16 b) { return Int16(a.value_ + b.value_); }
  friend constexpr Int16 operator-(Int16 a, Int16 b) { return Int16(a.value_ - b.value_); }
  friend constexpr Int16 operator*(Int16 a, Int16 b) { return Int16(a.value_ * b.value_); }
  // Remainder with the sign of the dividend, so -3 % 2 is -1.
  friend Int16 operator%(Int16 a, Int16 b);
  constexpr Int16 operator-() const { return Int16(-value_); }

  constexpr Int16& operator+=(Int16 o) { return *this = *this + o; }
  constexpr Int16& operator-=(Int16 o) { return *this = *this - o; }
  constexpr Int16& operator++() { return *this += 1; }
  constexpr Int16& operator--() { return *this -= 1; }

  friend constexpr bool operator==(Int16 a, Int16 b) = default;
  friend constexpr auto operator<=>(Int16 a, Int16 b) = default;

 private:
  static constexpr std::int16_t Checked(long long value) {
    if (value < kMin || value > kMax) RaiseOverflow(value);
    return static_cast<std::int16_t>(value);
  }
  [[noreturn]] static void RaiseOverflow(long long value);

  std::int16_t value_ = 0;
};
