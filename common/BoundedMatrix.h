// A two-dimensional array with its own bounds in each dimension, stored by
// rows; every access is checked (error 9 outside the bounds). The design
// matrices use it with terms as rows and samples as columns.
#pragma once

#include <cstddef>
#include <vector>

#include "common/BoundedArray.h"

template <typename T>
class BoundedMatrix {
 public:
  BoundedMatrix() = default;
  BoundedMatrix(long rowLower, long rowUpper, long colLower, long colUpper) {
    ReDim(rowLower, rowUpper, colLower, colUpper);
  }

  void ReDim(long rowLower, long rowUpper, long colLower, long colUpper) {
    if (rowUpper < rowLower) RaiseBadBounds(rowLower, rowUpper);
    if (colUpper < colLower) RaiseBadBounds(colLower, colUpper);
    rowLower_ = rowLower;
    colLower_ = colLower;
    rows_ = rowUpper - rowLower + 1;
    cols_ = colUpper - colLower + 1;
    items_.assign(static_cast<std::size_t>(rows_ * cols_), T());
    allocated_ = true;
  }

  bool IsAllocated() const { return allocated_; }
  long RowLBound() const { return allocated_ ? rowLower_ : 0; }
  long RowUBound() const { return allocated_ ? rowLower_ + rows_ - 1 : -1; }
  long ColLBound() const { return allocated_ ? colLower_ : 0; }
  long ColUBound() const { return allocated_ ? colLower_ + cols_ - 1 : -1; }

  T& operator()(long r, long c) { return items_[Offset(r, c)]; }
  const T& operator()(long r, long c) const { return items_[Offset(r, c)]; }
  T& operator()(Int16 r, Int16 c) { return (*this)(static_cast<long>(r.value()), static_cast<long>(c.value())); }
  const T& operator()(Int16 r, Int16 c) const {
    return (*this)(static_cast<long>(r.value()), static_cast<long>(c.value()));
  }

 private:
  std::size_t Offset(long r, long c) const {
    if (!allocated_ || r < rowLower_ || r > RowUBound()) RaiseIndexOutOfRange(r, RowLBound(), RowUBound());
    if (c < colLower_ || c > ColUBound()) RaiseIndexOutOfRange(c, ColLBound(), ColUBound());
    return static_cast<std::size_t>((r - rowLower_) * cols_ + (c - colLower_));
  }

  long rowLower_ = 0;
  long colLower_ = 0;
  long rows_ = 0;
  long cols_ = 0;
  std::vector<T> items_;
  bool allocated_ = false;
};
