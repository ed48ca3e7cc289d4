// coastdown-import on the simulator's untrimmed logger files at 10 and 20
// records a second, over twelve test days each: the trimming finds every
// coast's (and in a day's recording every run's) first and last record
// within one run-file record (0.2 s) of the truth, and the results of the
// imported folders lie no farther from the truth than those of the
// simulator's own run files at five records a second. The imported runs
// average two or four logger records into each run-file record, so their
// errors are smaller: measured, the RMS relative error over the twelve days
// is 0.37 to 0.95 times the own files' (Amech, Bmech, Ctotl, Cd: at 10 Hz
// 0.38, 2.83, 1.05, 1.03 % against 0.54, 3.51, 1.10, 1.65 %; at 20 Hz 0.20,
// 1.29, 0.68, 1.07 %); an RMS over twelve days scatters by about a fifth,
// so the check allows 1.25.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "SimulatedTestSupport.h"

namespace {

TEST(ImportSimulatedRatesTest, FasterLoggersRecoverTheTruthAsClosely) {
  const struct {
    double rate;
    const char* logger;
    std::vector<std::string> import;
  } cases[] = {
      {10, "--logger-csv per-run --csv-separator semicolon --csv-decimal comma --csv-time clock --csv-speed mph", {}},
      {20, "--logger-csv per-run --csv-separator tab --csv-header no --csv-speed ms --csv-decimals 5",
       importtest::kByPosition},
      {10, "--logger-csv day --csv-time clock", {"--run-order", "zero:2,cal:4,data:6"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.logger);
    std::vector<double> own(importtest::kResults.size(), 0.0);
    std::vector<double> imported(importtest::kResults.size(), 0.0);
    const long tolerance = std::lround(0.2 * c.rate);
    for (int seed = 1; seed <= 12; ++seed) {
      SCOPED_TRACE("seed " + std::to_string(seed));
      const std::string test = "--scenario light-wind --zero-runs 2 --cal-runs 4 --data-runs 6 --seed " +
                               std::to_string(seed);
      const importtest::SimulatedImport s(
          test, "--untrimmed --rate " + std::to_string(static_cast<int>(c.rate)) + " " + c.logger, c.import);
      ASSERT_EQ(s.outcome.status, 0);
      for (const auto& [name, error] : s.TrimErrors()) {
        EXPECT_LE(std::labs(error.first), tolerance) << name << " starts " << error.first << " records from the truth";
        EXPECT_LE(std::labs(error.second), tolerance) << name << " ends " << error.second << " records from the truth";
      }
      const std::string truth = s.own.Truth();
      const std::string ownReport = s.own.Report();
      const std::string importedReport = s.ImportedReport();
      for (std::size_t k = 0; k < importtest::kResults.size(); ++k) {
        const double want = testsupport::NumberAfter(truth, importtest::kResults[k]);
        const double a = (testsupport::NumberAfter(ownReport, importtest::kResults[k]) - want) / want;
        const double b = (testsupport::NumberAfter(importedReport, importtest::kResults[k]) - want) / want;
        own[k] += a * a / 12.0;
        imported[k] += b * b / 12.0;
      }
    }
    for (std::size_t k = 0; k < importtest::kResults.size(); ++k) {
      EXPECT_LE(std::sqrt(imported[k]), 1.25 * std::sqrt(own[k]))
          << importtest::kResults[k] << "RMS " << 100 * std::sqrt(imported[k]) << " % against "
          << 100 * std::sqrt(own[k]) << " %";
    }
  }
}

}  // namespace
