// The wind beside the track as --track-wind reads it: the lines of a file
// with its header, comments and line ends, the components a run meets, and
// the lines that are refused with their file and line.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "common/RuntimeError.h"
#include "methods/TrackWind.h"
#include "tests/TestSupport.h"

namespace {

// A file as a logger beside the track writes it: comments, a header, blank
// lines, blanks around the fields and CR LF line ends.
TEST(TrackWindTest, AFileGivesItsReadingsPastCommentsHeaderAndBlanks) {
  const testsupport::ScratchDir dir;
  testsupport::WriteFile(dir / "wind.csv", "# logged beside the track\r\nRun,Speed,From\r\n1,2.5,30\r\n\r\n 2 , 1.5 , 210 \r\n");
  const std::vector<TrackWindReading> readings = ReadTrackWindFile(dir / "wind.csv");
  ASSERT_EQ(readings.size(), 2u);
  EXPECT_EQ(readings[0].run, 1);
  EXPECT_EQ(readings[0].speed, 2.5);
  EXPECT_EQ(readings[0].fromDeg, 30.0);
  EXPECT_EQ(readings[1].run, 2);
  EXPECT_EQ(readings[1].fromDeg, 210.0);
}

// FROM is where the wind blows from, clockwise from the odd runs' heading:
// from 0 it is a head wind for the odd runs and a tail wind for the even
// ones; from 90 it comes from the odd runs' right.
TEST(TrackWindTest, ComponentsARunMeets) {
  const std::vector<std::tuple<TrackWindReading, int, double, double>> cases = {
      {{1, 2.0, 0.0}, +1, 2.0, 0.0},   {{2, 2.0, 0.0}, -1, -2.0, 0.0},  {{1, 2.0, 90.0}, +1, 0.0, 2.0},
      {{1, 2.0, 180.0}, +1, -2.0, 0.0}, {{2, 2.0, 60.0}, -1, -1.0, std::sqrt(3.0)},
  };
  for (const auto& [reading, direction, headOn, cross] : cases) {
    EXPECT_NEAR(HeadOnComponent(reading, direction), headOn, 1e-12);
    EXPECT_NEAR(CrossComponent(reading), cross, 1e-12);
  }
}

// Every malformed line is refused with the file, its line number and text.
TEST(TrackWindTest, RefusedLinesNameTheFileAndLine) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"1,2,30\n2,2\n", "line 2: \"2,2\" is not RUN,SPEED,FROM"},
      {"1,2,30,4\n", "line 1: \"1,2,30,4\" is not RUN,SPEED,FROM"},
      {"0,2,30\n", "line 1: \"0,2,30\" does not start with a run number"},
      {"1.5,2,30\n", "line 1: \"1.5,2,30\" does not start with a run number"},
      {"1,-2,30\n", "line 1: \"1,-2,30\" has no wind speed of 0 or more"},
      {"1,2,north\n", "line 1: \"1,2,north\" has no wind direction in degrees"},
      {"1,2,30\n1,3,30\n", "line 2: \"1,3,30\" gives DATA.1 a second time"},
      // A header anywhere but first is a line like any other.
      {"1,2,30\nrun,speed,from\n", "line 2: \"run,speed,from\" does not start with a run number"},
  };
  const testsupport::ScratchDir dir;
  const std::string path = dir / "wind.csv";
  for (const auto& [text, message] : cases) {
    testsupport::WriteFile(path, text);
    try {
      ReadTrackWindFile(path);
      ADD_FAILURE() << "accepted: " << text;
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.Number(), ErrorNumber::TypeMismatch);
      EXPECT_EQ(error.Detail(), "--track-wind " + path + " " + message);
    }
  }
}

}  // namespace
