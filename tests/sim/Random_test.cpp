// The simulator's random numbers: the published generators bit for bit, and
// normal deviates with the right moments.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "Random.h"

namespace {

TEST(RandomTest, SplitMix64MatchesItsReferenceSequence) {
  std::uint64_t state = 1234567;
  const std::uint64_t expected[] = {6457827717110365317ULL, 3203168211198807973ULL, 9817491932198370423ULL,
                                    4593380528125082431ULL, 16408922859458223821ULL};
  for (std::uint64_t e : expected) EXPECT_EQ(sim::SplitMix64(state), e);
}

TEST(RandomTest, Xoshiro256StarStarMatchesItsReferenceSequence) {
  sim::Random r = sim::Random::FromState(1, 2, 3, 4);
  const std::uint64_t expected[] = {11520ULL, 0ULL, 1509978240ULL, 1215971899390074240ULL};
  for (std::uint64_t e : expected) EXPECT_EQ(r.NextU64(), e);
}

TEST(RandomTest, SeedsAndStreamsAreReproducibleAndIndependent) {
  sim::Random a(42, 7);
  sim::Random b(42, 7);
  sim::Random otherStream(42, 8);
  sim::Random otherSeed(43, 7);
  int sameStream = 0;
  int sameSeed = 0;
  for (int i = 0; i < 100; ++i) {
    const std::uint64_t x = a.NextU64();
    ASSERT_EQ(x, b.NextU64());
    sameStream += x == otherStream.NextU64();
    sameSeed += x == otherSeed.NextU64();
  }
  EXPECT_EQ(sameStream, 0);
  EXPECT_EQ(sameSeed, 0);
}

TEST(RandomTest, UniformStaysInsideTheOpenLowerBound) {
  sim::Random r(1, 1);
  double low = 1.0;
  double high = 0.0;
  for (int i = 0; i < 100000; ++i) {
    const double u = r.Uniform();
    ASSERT_GT(u, 0.0);
    ASSERT_LE(u, 1.0);
    low = std::min(low, u);
    high = std::max(high, u);
  }
  EXPECT_LT(low, 1e-3);
  EXPECT_GT(high, 1.0 - 1e-3);
}

TEST(RandomTest, NormalDeviatesHaveUnitVarianceAndNoSkew) {
  sim::Random r(2024, 3);
  const int n = 200000;
  double sum = 0.0, sum2 = 0.0, sum3 = 0.0, sumLag = 0.0;
  double previous = 0.0;
  int beyond3 = 0;
  for (int i = 0; i < n; ++i) {
    const double x = r.Normal();
    sum += x;
    sum2 += x * x;
    sum3 += x * x * x;
    sumLag += x * previous;  // the cosine and sine halves of a pair must not correlate
    previous = x;
    beyond3 += std::fabs(x) > 3.0;
  }
  EXPECT_NEAR(sum / n, 0.0, 0.01);
  EXPECT_NEAR(sum2 / n, 1.0, 0.015);
  EXPECT_NEAR(sum3 / n, 0.0, 0.03);
  EXPECT_NEAR(sumLag / n, 0.0, 0.01);
  // 0.27 % of a normal population lies beyond three sigma.
  EXPECT_NEAR(static_cast<double>(beyond3) / n, 0.0027, 0.0006);
}

}  // namespace
