// Run-file records as means of the logger's signal over each 0.2 s: the
// records a 5 Hz logger wrote, pairs of a 10 Hz one, shares of records at
// rates that do not divide, straight lines across gaps.
#include "Resampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

using importer::Sample;

std::vector<Sample> Samples(double start, double interval, std::size_t n, const std::function<double(double)>& speed) {
  std::vector<Sample> s;
  for (std::size_t i = 0; i < n; ++i) {
    const double t = start + static_cast<double>(i) * interval;
    s.push_back({t, speed(t), 2.0 * speed(t), -speed(t), i + 2});
  }
  return s;
}

TEST(ResamplerTest, MeansOverEachInterval) {
  auto ramp = [](double t) { return 10.0 + t; };
  const struct {
    const char* name;
    double start;
    double interval;
    std::size_t n;
    std::size_t expectedCount;
    std::function<double(std::size_t)> expected;  // mean speed of record k
  } cases[] = {
      // Each logger record holds its value until the next one.
      {"5 Hz passes unchanged", 0.0, 0.2, 50, 50, [](std::size_t k) { return 10.0 + 0.2 * k; }},
      {"5 Hz on a clock", 36000.0, 0.2, 50, 50, [](std::size_t k) { return 36010.0 + 0.2 * k; }},
      {"10 Hz: pairs", 0.0, 0.1, 50, 25, [](std::size_t k) { return 10.0 + 0.2 * k + 0.05; }},
      {"100 Hz: twenty", 3.0, 0.01, 1000, 50, [](std::size_t k) { return 13.0 + 0.2 * k + 0.095; }},
      // 12.5 Hz: two and a half records in each 0.2 s, starting with a whole
      // record (mean 0.064 above the ramp at the start) or half of one (0.056).
      {"12.5 Hz", 0.0, 0.08, 50, 20, [](std::size_t k) { return 10.0 + 0.2 * k + (k % 2 == 0 ? 0.064 : 0.056); }},
      // 2 Hz: a record held over two and a half run-file records.
      {"2 Hz", 0.0, 0.5, 4, 10,
       [](std::size_t k) { return k < 2 ? 10.0 : k == 2 ? 10.25 : k < 5 ? 10.5 : k < 7 ? 11.0 : k == 7 ? 11.25 : 11.5; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<Sample> s = Samples(c.start, c.interval, c.n, ramp);
    const std::vector<importer::RunRecord> r = importer::Resample(s, 0, s.size() - 1, c.interval);
    ASSERT_EQ(r.size(), c.expectedCount);
    for (std::size_t k = 0; k < r.size(); ++k) {
      EXPECT_NEAR(r[k].speed, c.expected(k), 1e-9) << k;
      EXPECT_NEAR(r[k].wind, 2.0 * c.expected(k), 1e-9) << k;
      EXPECT_NEAR(r[k].yaw, -c.expected(k), 1e-9) << k;
    }
  }
}

TEST(ResamplerTest, KeptRecordsAndGaps) {
  // Records 10 to 29 of a 10 Hz trace: from the time of record 10 on, the
  // last record holding until the next one.
  std::vector<Sample> s = Samples(0.0, 0.1, 40, [](double t) { return t; });
  std::vector<importer::RunRecord> r = importer::Resample(s, 10, 29, 0.1);
  ASSERT_EQ(r.size(), 10u);
  EXPECT_NEAR(r.front().speed, 1.05, 1e-12);
  EXPECT_NEAR(r.back().speed, 2.85, 1e-12);
  // Without records between 1.0 and 1.4 s the signal is the straight line
  // from the record at 1.0 s (1.0) to the one at 1.4 s (5.0).
  s = Samples(0.0, 0.1, 20, [](double t) { return t < 1.05 ? t : t + 3.6; });
  s.erase(s.begin() + 11, s.begin() + 14);
  r = importer::Resample(s, 0, s.size() - 1, 0.1);
  ASSERT_EQ(r.size(), 10u);
  EXPECT_NEAR(r[4].speed, (0.8 + 0.9) / 2, 1e-12);
  EXPECT_NEAR(r[5].speed, 2.0, 1e-12);  // the line's mean from 1.0 to 1.2 s
  EXPECT_NEAR(r[6].speed, 4.0, 1e-12);  // and from 1.2 to 1.4 s
  EXPECT_NEAR(r[7].speed, 5.05, 1e-12);
}

}  // namespace
