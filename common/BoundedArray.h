// Arrays with an explicit lower bound, as the analysis dimensions them:
// coefficient arrays from 1, the working arrays of the calibration from 0,
// the design matrix with term rows from 0 and sample columns from 1. Every
// access is checked; an index outside the bounds is error 9, and so is a
// re-dimension whose upper bound lies below its lower bound (1 to 0).
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "common/Int16.h"
#include "common/RuntimeError.h"

[[noreturn]] void RaiseIndexOutOfRange(long index, long lower, long upper);
[[noreturn]] void RaiseBadBounds(long lower, long upper);

template <typename T>
class BoundedArray {
 public:
  BoundedArray() = default;
  BoundedArray(long lower, long upper) { ReDim(lower, upper); }

  // Discards the contents; every element becomes T().
  void ReDim(long lower, long upper) {
    if (upper < lower) RaiseBadBounds(lower, upper);
    lower_ = lower;
    items_.assign(static_cast<std::size_t>(upper - lower + 1), T());
    allocated_ = true;
  }
  // Keeps the elements of the common index range; new elements are T().
  void ReDimPreserve(long lower, long upper) {
    if (upper < lower) RaiseBadBounds(lower, upper);
    std::vector<T> next(static_cast<std::size_t>(upper - lower + 1), T());
    if (allocated_) {
      for (long i = std::max(lower, lower_); i <= std::min(upper, UBound()); ++i) {
        next[static_cast<std::size_t>(i - lower)] = items_[static_cast<std::size_t>(i - lower_)];
      }
    }
    lower_ = lower;
    items_ = std::move(next);
    allocated_ = true;
  }

  bool IsAllocated() const { return allocated_; }
  long LBound() const { return allocated_ ? lower_ : 0; }
  long UBound() const { return allocated_ ? lower_ + static_cast<long>(items_.size()) - 1 : -1; }

  T& operator()(long i) { return items_[Offset(i)]; }
  const T& operator()(long i) const { return items_[Offset(i)]; }
  T& operator()(Int16 i) { return (*this)(static_cast<long>(i.value())); }
  const T& operator()(Int16 i) const { return (*this)(static_cast<long>(i.value())); }

 private:
  std::size_t Offset(long i) const {
    if (!allocated_ || i < lower_ || i > UBound()) RaiseIndexOutOfRange(i, LBound(), UBound());
    return static_cast<std::size_t>(i - lower_);
  }

  long lower_ = 0;
  std::vector<T> items_;
  bool allocated_ = false;
};
