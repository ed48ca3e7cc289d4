// A method on the calibrated records in place of the fit: it gets every DATA
// run record by record at the files' rate with the test's conditions, its
// coefficients go through the corrections into the report, whose solver
// section is the method's, and the specified fit still runs beside it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/MethodOptionsReader.h"
#include "app/SAEAppWrapper.h"
#include "methods/AnalysisMethod.h"
#include "record/Recorder.h"
#include "tests/TestSupport.h"

namespace {

// Returns fixed coefficients and keeps what it was given.
class FixedMethod final : public AnalysisMethod {
 public:
  MethodResult Analyse(const MethodRun& run) override {
    given = run;
    MethodResult result;
    result.method = "fixed";
    result.solverName = "Fixed Solver";
    result.completed = true;
    result.coefficients = {100.0, 2.0, 0.3, 0.4, kNotDetermined, 0.0, 0.0, 0.0};
    result.reportLines = {"coefficients given, not fitted"};
    return result;
  }
  MethodRun given;
};

TEST(MethodHookTest, MethodTakesThePlaceOfTheFit) {
  const testsupport::SimulatedFolder folder("--scenario light-wind --seed 3 --rate 10 --data-runs 4 --cal-runs 2");
  SAEAppWrapper app;
  app.SetParams(SplitCommandLine(folder.arguments));
  app.SampleRate = 10;
  FixedMethod method;
  // What the options give it, as the entry point would pass them.
  MethodOptions options;
  options.rateHz = 10.0;
  options.trackWind = TrackWindOption{true, 2.0, 30.0, ""};
  options.rotatingMass = RotatingMassOption{3.0, true, "3%"};
  options.yawCurveFile = "yaw.csv";
  app.UseMethod(&method, GivenMethodConditions(options, 0.44704));
  record::AnalysisRecord analysis;
  record::Recorder recorder(analysis);
  app.Observe(&recorder);
  app.Process();
  ASSERT_FALSE(app.ReportSaveFailed());

  // Every DATA run, record by record, at the files' rate, in m/s.
  const MethodRun& run = method.given;
  ASSERT_EQ(run.data.size(), 4u);
  for (const RunRecords& r : run.data) {
    SCOPED_TRACE(r.run);
    const std::string file = testsupport::ReadFile(folder.path + "/DATA." + std::to_string(r.run));
    const auto lines = static_cast<std::size_t>(std::count(file.begin(), file.end(), '\n'));
    EXPECT_EQ(r.speed.size(), lines);
    EXPECT_EQ(r.wind.size(), lines);
    EXPECT_EQ(r.direction, r.run % 2 == 1 ? 1 : -1);
    EXPECT_EQ(r.rateHz, 10.0);
    EXPECT_NEAR(r.speed.front(), std::strtod(file.c_str(), nullptr) * 0.44704, 1e-12);
  }
  // The test's conditions, and what the options gave.
  EXPECT_NEAR(run.conditions.massKg, 3500.0 * 4.448 / 9.80665, 1e-9);
  EXPECT_NEAR(run.conditions.temperatureC, 20.0, 1e-12);
  EXPECT_EQ(run.conditions.rateHz, 10.0);
  EXPECT_EQ(run.conditions.yawCurveFile, "yaw.csv");
  ASSERT_EQ(run.conditions.trackWindMs.size(), 1u);
  EXPECT_EQ(run.conditions.trackWindMs[0].run, 0);
  EXPECT_NEAR(run.conditions.trackWindMs[0].speed, 2.0 * 0.44704, 1e-15);
  EXPECT_NEAR(run.conditions.rotatingMass.kg, 0.03 * run.conditions.massKg, 1e-12);
  EXPECT_EQ(run.conditions.rotatingMass.source.rfind("--rotating-mass 3% of the test mass", 0), 0u);
  EXPECT_TRUE(std::isnan(run.conditions.knownCd));

  // The specified fit ran beside it, on one-second samples of ten records.
  EXPECT_TRUE(analysis.finalFit.completed);
  long samples = 0;
  for (const RunRecords& r : run.data) samples += static_cast<long>((r.speed.size() - 1) / 10) - 1;
  EXPECT_EQ(analysis.Set(record::SetKind::Data).samples, samples);

  // The report carries the method's coefficients, corrected as the fit's
  // are (at 68 °F the mechanical factor is 1), and its solver section.
  const std::string report = folder.Report();
  EXPECT_NE(report.find("Amech: 22.48\r\n"), std::string::npos) << report;
  EXPECT_NE(report.find("SOLVER INFORMATION\r\nFixed Solver\r\n\r\ncoefficients given, not fitted\r\n"),
            std::string::npos)
      << report;
}

}  // namespace
