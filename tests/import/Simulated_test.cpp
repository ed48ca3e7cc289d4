// coastdown-import on the simulator's logger files, as a user meets them:
// untrimmed DATA runs (driven up to speed, held, braked to a stop around
// each coast) in several layouts and units, a file a run or the whole day
// in one recording. At five records a second the coasts the importer keeps
// are the simulator's run files to the record, and coastdown's analysis of
// the imported folder comes as close to the truth as its analysis of the
// simulator's own run files.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "SimulatedTestSupport.h"

namespace {

// The imported run is the simulator's within one record at either end:
// the same records, shifted by at most one, one more or less at each end;
// the values as the layout's decimals carry them. Records: speed, wind
// (mph), yaw (deg).
void ExpectSameRecords(const std::string& importedRun, const std::string& ownRun, double decimals) {
  SCOPED_TRACE(ownRun);
  const auto imported = importtest::RunFileRecords(testsupport::ReadFile(importedRun));
  const auto truth = importtest::RunFileRecords(testsupport::ReadFile(ownRun));
  ASSERT_GE(imported.size(), 2u);
  const double tolerance = 0.6 * std::pow(10.0, -decimals) / 0.44704;
  int shift = 99;
  for (const int s : {0, 1, -1}) {
    const std::size_t i = s < 0 ? 1 : 0;
    const std::size_t k = s < 0 ? 0 : static_cast<std::size_t>(s);
    if (shift == 99 && std::fabs(imported[i][0] - truth[k][0]) <= tolerance &&
        std::fabs(imported[i + 1][0] - truth[k + 1][0]) <= tolerance) {
      shift = s;
    }
  }
  ASSERT_NE(shift, 99) << "the first record " << imported[0][0] << " is none of the first two of " << truth[0][0];
  const long end = static_cast<long>(imported.size()) + shift;
  EXPECT_LE(std::labs(end - static_cast<long>(truth.size())), 1) << imported.size() << " records for " << truth.size();
  for (std::size_t i = 0; i < imported.size(); ++i) {
    const long k = static_cast<long>(i) + shift;
    if (k < 0 || k >= static_cast<long>(truth.size())) continue;
    for (std::size_t f = 0; f < 3; ++f) {
      ASSERT_NEAR(imported[i][f], truth[static_cast<std::size_t>(k)][f], f == 2 ? 0.6 * std::pow(10.0, -decimals) : tolerance)
          << i;
    }
  }
}

TEST(ImportSimulatedTest, TheSimulatorsLoggerFilesGiveItsRunFilesAndResults) {
  const std::string test = "--scenario light-wind --zero-runs 2 --cal-runs 4 --data-runs 6 --seed 1";
  const struct {
    const char* logger;
    std::vector<std::string> import;
  } cases[] = {
      {"--logger-csv per-run --csv-separator semicolon --csv-decimal comma --csv-time clock --csv-speed mph "
       "--csv-decimals 6",
       {}},
      {"--logger-csv per-run --csv-separator tab --csv-header no --csv-speed ms --csv-decimals 5",
       importtest::kByPosition},
      {"--logger-csv per-run --csv-time none", {"--time-column", "none", "--rate", "5"}},
      {"--logger-csv day --csv-time clock --csv-separator semicolon --csv-decimal comma",
       {"--run-order", "zero:2,cal:4,data:6"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.logger);
    const importtest::SimulatedImport s(test, std::string("--untrimmed ") + c.logger, c.import);
    ASSERT_EQ(s.outcome.status, 0);
    const std::string logger = c.logger;
    const std::size_t at = logger.find("--csv-decimals ");
    const double decimals = at == std::string::npos ? 3 : std::stod(logger.substr(at + 15));
    for (const char* set : {"ZERO", "CAL", "DATA"}) {
      for (int n = 1; std::filesystem::exists(s.own.path + "/" + set + "." + std::to_string(n)); ++n) {
        const std::string name = std::string(set) + "." + std::to_string(n);
        ExpectSameRecords(s.imported + "/" + name, s.own.path + "/" + name, decimals);
      }
    }
    // Every coast (and in a day's recording every run) against truth.txt.
    const auto errors = s.TrimErrors();
    EXPECT_EQ(errors.size(), logger.find("day") != std::string::npos ? 12u : 6u);
    for (const auto& [name, error] : errors) {
      EXPECT_LE(std::labs(error.first), 1) << name << " starts " << error.first << " records from the truth";
      EXPECT_LE(std::labs(error.second), 1) << name << " ends " << error.second << " records from the truth";
    }
    // No farther from the truth than the simulator's own run files, give
    // or take one step of the report's last digit.
    const std::string truth = s.own.Truth();
    const std::string own = s.own.Report();
    const std::string imported = s.ImportedReport();
    const double steps[] = {0.01, 0.0001, 0.000001, 0.001};
    for (std::size_t k = 0; k < importtest::kResults.size(); ++k) {
      const std::string& label = importtest::kResults[k];
      const double want = testsupport::NumberAfter(truth, label);
      EXPECT_LE(std::fabs(testsupport::NumberAfter(imported, label) - want),
                std::fabs(testsupport::NumberAfter(own, label) - want) + steps[k] + 1e-12)
          << label;
    }
  }
}

}  // namespace
