// The checked 16-bit integer and the checked double: every fault is the
// decided run-time error at the operation, never a wrapped value or a NaN.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "common/Int16.h"
#include "common/Real.h"
#include "common/RuntimeError.h"

namespace {

int ErrorOf(const std::function<void()>& operation) {
  try {
    operation();
  } catch (const RuntimeError& error) {
    return error.Code();
  }
  return 0;
}

struct FaultCase {
  const char* name;
  std::function<void()> operation;
  int error;
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

class FaultTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FaultTest, RaisesTheDecidedError) {
  EXPECT_EQ(ErrorOf(GetParam().operation), GetParam().error) << GetParam().name;
}

const double kMax = std::numeric_limits<double>::max();

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultTest,
    ::testing::Values(
        FaultCase{"int16 above range", [] { Int16 x(32768); (void)x; }, 6},
        FaultCase{"int16 below range", [] { Int16 x(-32769); (void)x; }, 6},
        FaultCase{"int16 increment past max", [] { Int16 x(32767); ++x; }, 6},
        FaultCase{"int16 decrement past min", [] { Int16 x(-32768); --x; }, 6},
        FaultCase{"int16 product", [] { (void)(Int16(200) * Int16(200)); }, 6},
        FaultCase{"int16 negate min", [] { (void)(-Int16(-32768)); }, 6},
        FaultCase{"int16 remainder by zero", [] { (void)(Int16(3) % Int16(0)); }, 11},
        FaultCase{"int16 from 32767.5", [] { (void)Int16::FromDouble(32767.5); }, 6},
        FaultCase{"int16 from huge long", [] { (void)Int16::FromLong(1LL << 40); }, 6},
        FaultCase{"real divide by zero", [] { (void)(Real(1.0) / Real(0.0)); }, 11},
        FaultCase{"real zero by zero", [] { (void)(Real(0.0) / Real(0.0)); }, 11},
        FaultCase{"real divide by minus zero", [] { (void)(Real(2.0) / Real(-0.0)); }, 11},
        FaultCase{"real product overflow", [] { (void)(Real(kMax) * Real(2.0)); }, 6},
        FaultCase{"real sum overflow", [] { (void)(Real(kMax) + Real(kMax)); }, 6},
        FaultCase{"real quotient overflow", [] { (void)(Real(kMax) / Real(0.5)); }, 6},
        FaultCase{"real from NaN", [] { Real x(std::nan("")); (void)x; }, 5},
        FaultCase{"real from infinity", [] { Real x(HUGE_VAL); (void)x; }, 6},
        FaultCase{"square root of negative", [] { (void)Sqrt(Real(-1.0)); }, 5},
        FaultCase{"negative base to fractional power", [] { (void)Pow(Real(-8.0), Real(1.0 / 3.0)); }, 5},
        FaultCase{"zero to negative power", [] { (void)Pow(Real(0.0), Real(-1.0)); }, 11},
        FaultCase{"power overflow", [] { (void)Pow(Real(10.0), Real(400.0)); }, 6},
        FaultCase{"no fault: 0 to power 0", [] { (void)Pow(Real(0.0), Real(0.0)); }, 0},
        FaultCase{"no fault: int16 min", [] { Int16 x(-32768); (void)x; }, 0}),
    [](const auto& info) {
      std::string name = info.param.name;
      for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      }
      return name;
    });

TEST(Int16Test, FromDoubleRoundsHalvesToEven) {
  const struct {
    double in;
    int out;
  } cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-0.5, 0}, {-1.5, -2}, {2.4999, 2}, {2.5001, 3}, {32766.5, 32766}, {-32768.4, -32768}};
  for (const auto& c : cases) EXPECT_EQ(Int16::FromDouble(c.in).value(), c.out) << c.in;
}

TEST(Int16Test, RemainderTakesTheSignOfTheDividend) {
  EXPECT_EQ((Int16(-3) % Int16(2)).value(), -1);
  EXPECT_EQ((Int16(3) % Int16(2)).value(), 1);
  EXPECT_EQ((Int16(-4) % Int16(2)).value(), 0);
  EXPECT_EQ((Int16(-32768) % Int16(-1)).value(), 0);
}

TEST(Int16Test, MatchesCheckedWideArithmeticAtTheRangeEdges) {
  const int edges[] = {-32768, -32767, -1, 0, 1, 181, 182, 32766, 32767};
  for (int a : edges) {
    for (int b : edges) {
      const long long sums[] = {static_cast<long long>(a) + b, static_cast<long long>(a) - b,
                                static_cast<long long>(a) * b};
      const std::function<Int16()> ops[] = {[&] { return Int16(a) + Int16(b); }, [&] { return Int16(a) - Int16(b); },
                                            [&] { return Int16(a) * Int16(b); }};
      for (int k = 0; k < 3; ++k) {
        const bool fits = sums[k] >= -32768 && sums[k] <= 32767;
        if (fits) {
          EXPECT_EQ(ops[k]().value(), sums[k]) << a << " op" << k << " " << b;
        } else {
          EXPECT_EQ(ErrorOf([&] { ops[k](); }), 6) << a << " op" << k << " " << b;
        }
      }
    }
  }
}

TEST(RuntimeErrorTest, MessageCarriesNumberDescriptionAndDetail) {
  const RuntimeError plain(ErrorNumber::DivisionByZero);
  EXPECT_STREQ(plain.what(), "run-time error 11: Division by zero");
  const RuntimeError detailed(ErrorNumber::InputPastEndOfFile, "DATA.3, line 7");
  EXPECT_STREQ(detailed.what(), "run-time error 62: Input past end of file (DATA.3, line 7)");
  EXPECT_EQ(StandardDescription(ErrorNumber::PathFileAccessError), "Path/File access error");
  EXPECT_EQ(StandardDescription(ErrorNumber::InvalidProcedureCall), "Invalid procedure call or argument");
}

}  // namespace
