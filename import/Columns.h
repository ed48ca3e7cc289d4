// Which column of a logger's table holds the time, the vehicle speed, the
// relative wind speed, the yaw and the heading (a GPS logger's course, which
// tells the runs' directions): given by the user (a name or a position)
// or recognised from the header's names ("speed", "v_kmh", "Speed [km/h]",
// "time", "wind", "yaw"), with the unit a name or a units row carries.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "CsvTable.h"

namespace importer {

enum class Role { Time, Speed, Wind, Yaw, Heading };
const char* RoleName(Role role);  // "time", "speed", "wind", "yaw", "heading"

// A header's text split into its name (lower case, '_', '-', '.' and '/'
// as blanks) and the unit it carries: "Speed [km/h]" gives "speed" and
// "km/h", "v_kmh" gives "v" and "kmh", "time" gives "time" and "".
struct NameAndUnit {
  std::string name;
  std::string unit;
};
NameAndUnit SplitName(std::string_view header);

// The role a header's name stands for; nullopt when it is none of the
// names the importer knows (listed in the README).
std::optional<Role> RecognisedRole(std::string_view header);

// How the user chose a column: empty for recognition from the header,
// "none" for no such column, a number for its position (from 1), else its
// name as the header writes it (letter case and blanks around it aside).
struct ColumnOptions {
  std::string time;
  std::string speed;
  std::string wind;
  std::string yaw;
  std::string heading;
};

struct Column {
  bool present = false;
  std::size_t index = 0;     // from 0
  std::string label;         // as messages name it: "\"Speed [km/h]\" (column 3)" or "column 3"
  std::string unit;          // the unit the header or the units row gives; empty when none
  bool recognised = false;   // found by its name without an option
};

struct ColumnSet {
  Column time;
  Column speed;
  Column wind;
  Column yaw;
  Column heading;
};

// The columns of `table`. Throws ImportError naming the file and what to
// give when the speed column cannot be found or a role fits more than one
// column; UsageError when an option names a column the file does not have.
ColumnSet ChooseColumns(const CsvTable& table, const ColumnOptions& options);

}  // namespace importer
