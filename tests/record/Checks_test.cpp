// The checks of a finished analysis, from records built by hand: the
// hand-built test passes all of them, and each change takes one quantity just
// inside or just beyond one check's limit, so a wrong limit, a comparison
// the wrong way round or a check that reads the wrong quantity fails here.
#include "record/Checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "common/UnitFactors.h"
#include "tests/record/HandBuiltRecord.h"

namespace {

using record::AnalysisRecord;

// The hand-built test with its still-air road load known to 1 %, and no
// DATA file beyond those analysed.
AnalysisRecord Passing() {
  AnalysisRecord r = handbuilt::Test();
  r.Set(record::SetKind::Data).laterFiles.clear();
  for (record::RoadLoadPoint& p : r.uncertainty.roadLoad) {
    p.low = p.force * 0.99;
    p.high = p.force * 1.01;
  }
  return r;
}

// A still-air road-load point at `mph` with an interval `percent` wide each way.
void RoadLoadAt(AnalysisRecord& r, double mph, double percent) {
  std::vector<record::RoadLoadPoint>& points = r.uncertainty.roadLoad;
  std::erase_if(points, [&](const record::RoadLoadPoint& p) { return p.speedMph == mph; });
  const double force = 100.0 + mph;
  const double half = force * percent / 100.0;
  points.push_back({mph, force, force - half, force + half, record::kNone, record::kNone, {}});
}

// The first DATA sample.
record::SampleRecord& DataSample(AnalysisRecord& r) {
  return *std::find_if(r.samples.begin(), r.samples.end(),
                       [](const record::SampleRecord& s) { return s.set == record::SetKind::Data; });
}

// The ids of the checks that apply and failed, each followed by a blank.
std::string Failed(const std::vector<record::CheckRecord>& checks) {
  std::string ids;
  for (const record::CheckRecord& check : checks) {
    if (check.applicable && !check.pass) ids += check.id + " ";
  }
  return ids;
}

TEST(ChecksTest, EachFailsBeyondItsLimitAndNoOtherDoes) {
  const auto kmh = [](double value) { return value / kKmhPerMs; };  // m/s
  const struct {
    const char* what;
    std::function<void(AnalysisRecord&)> change;
    std::string failed;
  } cases[] = {
      {"as built", [](AnalysisRecord&) {}, ""},
      {"2 DATA runs", [](AnalysisRecord& r) { r.Set(record::SetKind::Data).runs = 2; }, ""},
      {"7 DATA runs", [](AnalysisRecord& r) { r.Set(record::SetKind::Data).runs = 7; }, "directions "},
      {"1 DATA run", [](AnalysisRecord& r) { r.Set(record::SetKind::Data).runs = 1; }, "directions "},
      {"mean wind 15.9 km/h", [&](AnalysisRecord& r) { r.meanWindSpeed = kmh(15.9); }, ""},
      {"mean wind 16.1 km/h", [&](AnalysisRecord& r) { r.meanWindSpeed = kmh(16.1); }, "mean_wind "},
      {"cross wind -7.9 km/h", [&](AnalysisRecord& r) { r.meanCross = kmh(-7.9); }, ""},
      {"cross wind 8.1 km/h", [&](AnalysisRecord& r) { r.meanCross = kmh(8.1); }, "mean_crosswind "},
      {"cross wind -8.1 km/h", [&](AnalysisRecord& r) { r.meanCross = kmh(-8.1); }, "mean_crosswind "},
      {"4.9 degC", [](AnalysisRecord& r) { r.temperatureC = 4.9; }, "temperature "},
      {"5.1 degC", [](AnalysisRecord& r) { r.temperatureC = 5.1; }, ""},
      {"34.9 degC", [](AnalysisRecord& r) { r.temperatureC = 34.9; }, ""},
      {"35.1 degC", [](AnalysisRecord& r) { r.temperatureC = 35.1; }, "temperature "},
      {"10 % outliers", [](AnalysisRecord& r) { r.filter.tested = 1000, r.filter.excluded = 100; }, ""},
      {"10.1 % outliers", [](AnalysisRecord& r) { r.filter.tested = 1000, r.filter.excluded = 101; }, "outliers "},
      {"1.9 % at 50 mph", [](AnalysisRecord& r) { RoadLoadAt(r, 50, 1.9); }, ""},
      {"2.1 % at 50 mph", [](AnalysisRecord& r) { RoadLoadAt(r, 50, 2.1); }, "road_load_precision "},
      {"2.1 % at 70 mph, MAX_SPEED", [](AnalysisRecord& r) { RoadLoadAt(r, 70, 2.1); }, "road_load_precision "},
      // Only every 10 mph inside the window, 15 to 70 mph, is judged.
      {"5 % at 10 mph", [](AnalysisRecord& r) { RoadLoadAt(r, 10, 5.0); }, ""},
      {"5 % at 35 mph", [](AnalysisRecord& r) { RoadLoadAt(r, 35, 5.0); }, ""},
      {"5 % at 80 mph", [](AnalysisRecord& r) { RoadLoadAt(r, 80, 5.0); }, ""},
      {"Cd 0.14", [](AnalysisRecord& r) { r.results.drag[0].value = 0.14; }, "cd_range "},
      {"Cd 0.16", [](AnalysisRecord& r) { r.results.drag[0].value = 0.16; }, ""},
      {"Cd 1.49", [](AnalysisRecord& r) { r.results.drag[0].value = 1.49; }, ""},
      {"Cd 1.51", [](AnalysisRecord& r) { r.results.drag[0].value = 1.51; }, "cd_range "},
      {"Amech 0", [](AnalysisRecord& r) { r.results.report[0].value = 0.0; }, "mechanical_signs "},
      {"Bmech below 0", [](AnalysisRecord& r) { r.results.report[1].value = -1e-6; }, "mechanical_signs "},
      {"Cmech below 0", [](AnalysisRecord& r) { r.results.report[2].value = -1e-9; }, "mechanical_signs "},
      {"Bmech and Cmech 0", [](AnalysisRecord& r) { r.results.report[1].value = r.results.report[2].value = 0; },
       ""},
      {"the ZERO set ended by an error", [](AnalysisRecord& r) {
         r.Set(record::SetKind::Zero).error = {70, "Permission denied", "/tmp/t/ZERO.3"};
         r.yawOffsetFromZero = false;
       }, "zero_offset "},
      {"DATA.2 in UTF-16", [](AnalysisRecord& r) {
         r.Set(record::SetKind::Data).files[1].encoding = {TextForm::Utf16LE, 1, "\xFF\xFE"};
       }, "run_file_text "},
      {"DATA.2 in UTF-16, read as written", [](AnalysisRecord& r) {
         r.Set(record::SetKind::Data).files[1].encoding = {TextForm::Utf16LE, 1, "\xFF\xFE"};
         r.Set(record::SetKind::Data).files[1].encodingRead = true;
       }, ""},
      {"CAL.1 with decimal commas", [](AnalysisRecord& r) {
         r.Set(record::SetKind::Cal).files[0].layout = {TextForm::DecimalComma, 1, "42,5 44,1 -2,3"};
       }, "run_file_text "},
      {"DATA.10 beyond the set's end", [](AnalysisRecord& r) { r.Set(record::SetKind::Data).laterFiles = "DATA.10"; },
       "runs_analysed "},
      {"the DATA set ended by an error", [](AnalysisRecord& r) {
         r.Set(record::SetKind::Data).end = record::SetRecord::End::Error;
       }, "runs_analysed "},
      {"V^2 terms correlated 0.991", [](AnalysisRecord& r) { r.uncertainty.correlationM2A0 = -0.991; },
       "aero_determined "},
      {"V^2 terms correlated 0.989", [](AnalysisRecord& r) { r.uncertainty.correlationM2A0 = -0.989; }, ""},
      {"Caero's interval holding 0", [](AnalysisRecord& r) { r.results.report[3].low = -1e-5; }, "aero_determined "},
      {"PRESSURE 19.9 inHg", [](AnalysisRecord& r) { r.fields[7] = "19.9"; }, "pressure "},
      {"PRESSURE 20.1 inHg", [](AnalysisRecord& r) { r.fields[7] = "20.1"; }, ""},
      {"PRESSURE 101.3 (kPa)", [](AnalysisRecord& r) { r.fields[7] = "101.3"; }, "pressure "},
      {"PRESSURE 31.9 inHg", [](AnalysisRecord& r) { r.fields[7] = "31.9"; }, ""},
      {"AREA 0", [](AnalysisRecord& r) { r.fields[8] = "0"; }, "area "},
      {"AREA 2.1 (m^2)", [](AnalysisRecord& r) { r.fields[8] = "2.1"; }, "area "},
      {"AREA 5.1 ft^2", [](AnalysisRecord& r) { r.fields[8] = "5.1"; r.fields[5] = "400"; }, ""},
      {"AREA 151 ft^2", [](AnalysisRecord& r) { r.fields[8] = "151"; r.fields[5] = "30000"; }, "area "},
      {"WEIGHT 0", [](AnalysisRecord& r) { r.fields[5] = "0"; }, "weight "},
      {"WEIGHT -3500", [](AnalysisRecord& r) { r.fields[5] = "-3500"; }, "weight "},
      {"59 lb per ft^2", [](AnalysisRecord& r) { r.fields[5] = "1327.5"; }, "weight "},
      {"61 lb per ft^2", [](AnalysisRecord& r) { r.fields[5] = "1372.5"; }, ""},
      {"WEIGHT 1590 (kg), Cd 0.143", [](AnalysisRecord& r) {
         r.fields[5] = "1590";
         r.results.drag[0].value = 0.143;
       }, "cd_range weight "},
      {"WEIGHT 3500, Cd 0.143", [](AnalysisRecord& r) { r.results.drag[0].value = 0.143; }, "cd_range "},
      {"a DATA sample braking", [](AnalysisRecord& r) { DataSample(r).motion = record::Motion::Braking; },
       "coasting "},
      {"a DATA sample at standstill outside the window", [](AnalysisRecord& r) {
         DataSample(r).motion = record::Motion::Standstill;
         DataSample(r).status = record::SampleStatus::OutsideWindow;
       }, ""},
  };
  for (const auto& c : cases) {
    AnalysisRecord r = Passing();
    c.change(r);
    const std::vector<record::CheckRecord> checks = record::Checks(r);
    ASSERT_EQ(checks.size(), 16u);
    EXPECT_EQ(Failed(checks), c.failed) << c.what;
    for (const record::CheckRecord& check : checks) EXPECT_TRUE(check.applicable) << c.what << " " << check.id;
  }
}

// A run that ended before its fit has no result to judge; what it read of
// its inputs is judged all the same: here the DATA set an error ended.
TEST(ChecksTest, ARunThatEndedEarlyHasNoResultToJudge) {
  const std::set<std::string> ofInputs = {"run_file_text", "zero_offset", "runs_analysed", "pressure",
                                          "weight",        "area",        "temperature",   "coasting"};
  for (const record::CheckRecord& check : record::Checks(handbuilt::EndedEarly())) {
    if (!ofInputs.contains(check.id)) {
      EXPECT_FALSE(check.applicable) << check.id;
    } else {
      EXPECT_EQ(check.applicable && !check.pass, check.id == "runs_analysed") << check.id;
    }
  }
}

}  // namespace
