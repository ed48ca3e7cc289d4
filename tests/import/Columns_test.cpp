// Which column is which: names as loggers write them, units in them, and
// the choices a user makes when the names do not tell.
#include "Columns.h"

#include <gtest/gtest.h>

#include "ImportTestSupport.h"

namespace {

using importer::Role;

TEST(ColumnsTest, NamesAndTheirUnits) {
  const struct {
    const char* header;
    const char* name;
    const char* unit;
    std::optional<Role> role;
  } cases[] = {
      {"Speed [km/h]", "speed", "km/h", Role::Speed},
      {"v_kmh", "v", "kmh", Role::Speed},
      {"Vehicle Speed (mph)", "vehicle speed", "mph", Role::Speed},
      {"GPS_Speed", "gps speed", "", Role::Speed},
      {"speed m/s", "speed", "m/s", Role::Speed},
      {"Time", "time", "", Role::Time},
      {"time_s", "time", "s", Role::Time},
      {"Zeit [s]", "zeit", "s", Role::Time},
      {"t", "t", "", Role::Time},
      {"Wind", "wind", "", Role::Wind},
      {"wind_speed_ms", "wind speed", "ms", Role::Wind},
      {"Rel. Wind [km/h]", "rel wind", "km/h", Role::Wind},
      {"Yaw", "yaw", "", Role::Yaw},
      {"Yaw angle [\xC2\xB0]", "yaw angle", "\xC2\xB0", Role::Yaw},
      {"yaw_deg", "yaw", "deg", Role::Yaw},
      // Not the anemometer's: a weather station's direction, the steering.
      {"Wind direction", "wind direction", "", std::nullopt},
      {"Steering angle [deg]", "steering angle", "deg", std::nullopt},
      {"Engine speed [rpm]", "engine speed", "rpm", std::nullopt},
      {"Heading", "heading", "", Role::Heading},
      {"Course [deg]", "course", "deg", Role::Heading},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.header);
    const importer::NameAndUnit n = importer::SplitName(c.header);
    EXPECT_EQ(n.name, c.name);
    EXPECT_EQ(n.unit, c.unit);
    EXPECT_EQ(importer::RecognisedRole(c.header), c.role);
  }
}

importer::CsvTable Table(std::vector<std::string> names, std::vector<std::string> units = {}) {
  importer::CsvTable t;
  t.fileName = "f.csv";
  t.columns = names.empty() ? 4 : names.size();
  t.headerLine = names.empty() ? 0 : 1;
  t.names = std::move(names);
  t.units = std::move(units);
  return t;
}

TEST(ColumnsTest, RecognisedOrChosen) {
  const struct {
    std::vector<std::string> names;
    std::vector<std::string> units;
    importer::ColumnOptions options;
    std::vector<int> expected;  // positions of time, speed, wind, yaw from 1; 0 for none
    std::vector<std::string> expectedUnits;
  } cases[] = {
      {{"time", "speed [mph]", "wind [mph]", "yaw"}, {}, {}, {1, 2, 3, 4}, {"", "mph", "mph", ""}},
      {{"t", "v", "x"}, {"s", "km/h", "V"}, {}, {1, 2, 0, 0}, {"s", "km/h", "", ""}},
      {{"Zeit", "Geschwindigkeit", "Sonst"}, {}, {"", "", "Sonst", "none", ""}, {1, 2, 3, 0}, {"", "", "", ""}},
      {{"a", "b", "c", "d"}, {}, {"1", "3", "2", "4", ""}, {1, 3, 2, 4}, {"", "", "", ""}},
      {{"time", "speed", "wind", "yaw"}, {}, {"none", "", "none", "none", ""}, {0, 2, 0, 0}, {"", "", "", ""}},
      {{"time", "GPS speed", "Wheel speed"}, {}, {"", "wheel speed", "", "", ""}, {1, 3, 0, 0}, {"", "", "", ""}},
      {{}, {}, {"1", "2", "", "", ""}, {1, 2, 0, 0}, {"", "", "", ""}},
  };
  for (const auto& c : cases) {
    const importer::ColumnSet set = importer::ChooseColumns(Table(c.names, c.units), c.options);
    const importer::Column* columns[] = {&set.time, &set.speed, &set.wind, &set.yaw};
    for (std::size_t r = 0; r < 4; ++r) {
      SCOPED_TRACE(importer::RoleName(static_cast<Role>(r)));
      EXPECT_EQ(columns[r]->present ? static_cast<int>(columns[r]->index) + 1 : 0, c.expected[r]);
      EXPECT_EQ(columns[r]->unit, c.expectedUnits[r]);
    }
  }
}

TEST(ColumnsTest, WhatCannotBeToldIsAskedFor) {
  importer::CsvTable noHeader = Table({});
  noHeader.otherLine = 1;
  noHeader.otherFields = 2;
  noHeader.separator = importer::Separator::Comma;
  const struct {
    importer::CsvTable table;
    importer::ColumnOptions options;
    const char* message;  // "usage: " first for a command-line mistake
  } cases[] = {
      {Table({"time", "GPS speed", "Wheel speed"}), {},
       "f.csv, line 1: \"GPS speed\" (column 2) and \"Wheel speed\" (column 3) could both be the speed; give "
       "--speed-column NAME or POSITION"},
      {Table({"time", "rpm"}), {},
       "f.csv, line 1: no column is recognised as the vehicle speed among \"time\", \"rpm\"; give --speed-column NAME "
       "or POSITION"},
      {noHeader, {},
       "f.csv has no header row with a name for each of its 4 columns (line 1 above the records holds 2 fields where "
       "the records hold 4: decimal commas in a comma-separated file?): give the columns by position, e.g. "
       "--speed-column 2 (and --time-column, --wind-column, --yaw-column), or --header LINE"},
      {Table({"time", "speed"}), {"", "5", "", "", ""}, "usage: --speed-column 5: f.csv has columns 1 to 2"},
      {Table({"time", "speed"}), {"", "velocity", "", "", ""},
       "usage: --speed-column \"velocity\": no such column in f.csv (line 1 names \"time\", \"speed\")"},
      {Table({}), {"", "speed", "", "", ""},
       "usage: --speed-column \"speed\": f.csv has no header row to find that name in; give the column's position "
       "(from 1)"},
      {Table({"time", "speed"}), {"", "", "2", "", ""},
       "usage: \"speed\" (column 2) of f.csv cannot be both the speed and the wind"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(importtest::ErrorText([&] { importer::ChooseColumns(c.table, c.options); }), c.message);
  }
}

}  // namespace
