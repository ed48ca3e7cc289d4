// The two errors of the bounded arrays, kept out of line.
#include "common/BoundedArray.h"

void RaiseIndexOutOfRange(long index, long lower, long upper) {
  if (upper < lower) Raise(ErrorNumber::SubscriptOutOfRange, "index " + std::to_string(index) + " of an empty array");
  Raise(ErrorNumber::SubscriptOutOfRange,
        "index " + std::to_string(index) + " outside " + std::to_string(lower) + " to " + std::to_string(upper));
}

void RaiseBadBounds(long lower, long upper) {
  Raise(ErrorNumber::SubscriptOutOfRange,
        "an array cannot be dimensioned " + std::to_string(lower) + " to " + std::to_string(upper));
}
