// The checked 16-bit integer, the checked double and the bounded arrays:
// every fault is the decided run-time error at the operation, never a
// wrapped value, a NaN or a stray element.
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "common/BoundedArray.h"
#include "common/Int16.h"
#include "common/Real.h"
#include "tests/TestSupport.h"

namespace {

using testsupport::ErrorOf;

TEST(NumbersTest, EachFaultIsItsErrorAtTheOperation) {
  static constexpr double kMax = std::numeric_limits<double>::max();
  const std::pair<std::function<void()>, int> cases[] = {
      {[] { Int16 x(32768); }, 6}, {[] { Int16 x(-32769); }, 6}, {[] { Int16 x(-32768); }, 0},
      {[] { (void)(-Int16(-32768)); }, 6}, {[] { (void)(Int16(3) % Int16(0)); }, 11},
      {[] { (void)Int16::FromDouble(32767.5); }, 6}, {[] { (void)Int16::FromDouble(1e300); }, 6},
      {[] { (void)(Real(1.0) / Real(0.0)); }, 11}, {[] { (void)(Real(kMax) + Real(kMax)); }, 6},
      {[] { (void)(Real(kMax) * Real(2.0)); }, 6}, {[] { (void)(Real(kMax) / Real(0.5)); }, 6},
      {[] { (void)Pow(Real(10.0), Real(400.0)); }, 6},
      {[] { (void)Sqrt(Real(-1.0)); }, 5}, {[] { (void)Pow(Real(-8.0), Real(1.0 / 3.0)); }, 5},
      {[] { (void)Pow(Real(0.0), Real(-1.0)); }, 11}, {[] { (void)Pow(Real(0.0), Real(0.0)); }, 0},
  };
  int row = 0;
  for (const auto& [operation, error] : cases) EXPECT_EQ(ErrorOf(operation), error) << "row " << row++;
}

TEST(NumbersTest, Int16RoundingRemainderAndRangeEdges) {
  const std::pair<double, int> rounding[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-1.5, -2}, {2.5001, 3}, {-32768.5, -32768}};
  for (const auto& [in, out] : rounding) EXPECT_EQ(Int16::FromDouble(in).value(), out) << in;
  EXPECT_EQ((Int16(-3) % Int16(2)).value(), -1);  // the sign of the dividend
  EXPECT_EQ((Int16(3) % Int16(-2)).value(), 1);
  // Sums, differences and products near the limits against wide arithmetic.
  const long long edges[] = {-32768, -32767, -1, 0, 1, 181, 182, 32766, 32767};
  for (long long a : edges) {
    for (long long b : edges) {
      const Int16 x = Int16::FromLong(a), y = Int16::FromLong(b);
      const std::pair<long long, std::function<Int16()>> ops[] = {
          {a + b, [&] { return x + y; }}, {a - b, [&] { return x - y; }}, {a * b, [&] { return x * y; }}};
      for (const auto& [wide, op] : ops) {
        EXPECT_EQ(ErrorOf([&] { EXPECT_EQ(op().value(), wide); }), wide >= -32768 && wide <= 32767 ? 0 : 6) << wide;
      }
    }
  }
}

TEST(NumbersTest, BoundedArrayBoundsAndPreservedElements) {
  BoundedArray<int> a(0, 2);
  a(0L) = 10;
  a(2L) = 12;
  a.ReDimPreserve(1, 3);
  EXPECT_EQ(std::vector<int>({a(1L), a(2L), a(3L)}), std::vector<int>({0, 12, 0}));
  for (long i : {0L, 4L}) EXPECT_EQ(ErrorOf([&] { a(i); }), 9) << i;
  EXPECT_EQ(ErrorOf([&] { a.ReDim(1, 0); }), 9);
  EXPECT_EQ(ErrorOf([&] { a.ReDimPreserve(1, 0); }), 9);
}

}  // namespace
