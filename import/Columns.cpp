// Column names and positions.
#include "Columns.h"

#include <algorithm>
#include <array>
#include <vector>

#include "ImportError.h"
#include "TextDecoding.h"
#include "Units.h"

namespace importer {

namespace {

// The names each role is known by, after SplitName. Lists rather than
// patterns, so that "wind direction" (a weather station's, not the
// anemometer's yaw) or "steering angle" are never taken by accident.
const std::vector<std::string_view>& KnownNames(Role role) {
  static const std::vector<std::string_view> kTime = {
      "time", "t", "zeit", "timestamp", "time stamp", "elapsed", "elapsed time", "clock", "gps time", "utc",
      "utc time", "local time", "datetime", "date time", "time of day", "uhrzeit", "relative time", "rel time",
      "time from start", "seconds", "sec"};
  static const std::vector<std::string_view> kSpeed = {
      "speed", "v", "vel", "velocity", "vehicle speed", "veh speed", "vehicle velocity", "car speed", "gps speed",
      "speed gps", "v gps", "ground speed", "speed over ground", "sog", "vx", "spd", "vspeed", "v vehicle",
      "v veh", "vehspd", "road speed", "wheel speed", "geschwindigkeit", "fahrzeuggeschwindigkeit", "v fzg"};
  static const std::vector<std::string_view> kWind = {
      "wind", "wind speed", "windspeed", "relative wind", "relative wind speed", "rel wind", "rel wind speed",
      "wind rel", "air speed", "airspeed", "relative air speed", "v wind", "vwind", "v air", "vair", "v rel",
      "vrel", "anemometer", "anemometer speed", "windgeschwindigkeit", "anstroemgeschwindigkeit"};
  static const std::vector<std::string_view> kYaw = {
      "yaw", "yaw angle", "relative yaw", "rel yaw", "wind yaw", "yaw wind", "wind angle", "relative wind angle",
      "rel wind angle", "flow angle", "air angle", "anemometer angle", "beta", "psi", "gierwinkel",
      "anstroemwinkel"};
  static const std::vector<std::string_view> kHeading = {
      "heading", "course", "course over ground", "cog", "hdg", "bearing", "track angle", "gps heading",
      "heading gps", "kurs"};
  switch (role) {
    case Role::Heading:
      return kHeading;
    case Role::Time:
      return kTime;
    case Role::Speed:
      return kSpeed;
    case Role::Wind:
      return kWind;
    case Role::Yaw:
      return kYaw;
  }
  return kTime;
}

std::string Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t");
  return std::string(text.substr(first, last - first + 1));
}

// '_', '-', '.' and '/' as blanks, runs of blanks as one, none at the ends.
std::string NormalName(std::string_view text) {
  std::string name;
  for (char c : text) {
    if (c == '_' || c == '-' || c == '.' || c == '/' || c == '\t') c = ' ';
    if (c == ' ' && (name.empty() || name.back() == ' ')) continue;
    name.push_back(c);
  }
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return name;
}

std::string Label(const CsvTable& table, std::size_t index) {
  std::string position = "column " + std::to_string(index + 1);
  if (index < table.names.size() && !table.names[index].empty()) {
    return Quoted(table.names[index]) + " (" + position + ")";
  }
  return position;
}

std::string NameList(const CsvTable& table) {
  std::string list;
  for (std::size_t i = 0; i < table.names.size(); ++i) {
    list += (i == 0 ? "" : ", ") + Quoted(table.names[i]);
  }
  return list;
}

Column Make(const CsvTable& table, std::size_t index, bool recognised) {
  Column column;
  column.present = true;
  column.index = index;
  column.label = Label(table, index);
  column.recognised = recognised;
  if (index < table.units.size() && !table.units[index].empty() && table.units[index] != "-") {
    column.unit = Trimmed(table.units[index]);
  } else if (index < table.names.size()) {
    column.unit = SplitName(table.names[index]).unit;
  }
  return column;
}

std::string OptionName(Role role) { return std::string("--") + RoleName(role) + "-column"; }

Column Chosen(const CsvTable& table, Role role, const std::string& option) {
  if (LowerAscii(option) == "none") return {};
  if (!option.empty() && option.find_first_not_of("0123456789") == std::string::npos) {
    const std::size_t position = std::stoul(option.size() > 9 ? std::string("0") : option);
    if (position == 0 || position > table.columns) {
      throw UsageError(OptionName(role) + " " + option + ": " + table.fileName + " has columns 1 to " +
                       std::to_string(table.columns));
    }
    return Make(table, position - 1, false);
  }
  if (table.names.empty()) {
    throw UsageError(OptionName(role) + " " + Quoted(option) + ": " + table.fileName +
                     " has no header row to find that name in; give the column's position (from 1)");
  }
  const std::string wanted = LowerAscii(Trimmed(option));
  for (std::size_t i = 0; i < table.names.size(); ++i) {
    if (LowerAscii(Trimmed(table.names[i])) == wanted) return Make(table, i, false);
  }
  for (std::size_t i = 0; i < table.names.size(); ++i) {
    if (SplitName(table.names[i]).name == NormalName(wanted)) return Make(table, i, false);
  }
  throw UsageError(OptionName(role) + " " + Quoted(option) + ": no such column in " + table.fileName + " (line " +
                   std::to_string(table.headerLine) + " names " + NameList(table) + ")");
}

Column Recognised(const CsvTable& table, Role role) {
  std::vector<std::size_t> found;
  for (std::size_t i = 0; i < table.names.size(); ++i) {
    if (RecognisedRole(table.names[i]) == role) found.push_back(i);
  }
  if (found.size() > 1) {
    throw ImportError(table.fileName + ", line " + std::to_string(table.headerLine) + ": " + Label(table, found[0]) +
                      " and " + Label(table, found[1]) + " could both be the " + RoleName(role) + "; give " +
                      OptionName(role) + " NAME or POSITION");
  }
  return found.empty() ? Column{} : Make(table, found[0], true);
}

}  // namespace

const char* RoleName(Role role) {
  switch (role) {
    case Role::Time:
      return "time";
    case Role::Speed:
      return "speed";
    case Role::Wind:
      return "wind";
    case Role::Yaw:
      return "yaw";
    case Role::Heading:
      return "heading";
  }
  return "";
}

NameAndUnit SplitName(std::string_view header) {
  std::string text = LowerAscii(Trimmed(header));
  std::string unit;
  // "speed [km/h]", "speed (mph)", "v/(km/h)"
  if (!text.empty() && (text.back() == ']' || text.back() == ')')) {
    const char open = text.back() == ']' ? '[' : '(';
    const std::size_t at = text.rfind(open);
    if (at != std::string::npos) {
      unit = Trimmed(std::string_view(text).substr(at + 1, text.size() - at - 2));
      text.erase(at);
    }
  } else {
    // "v_kmh", "time s", "speed/mph": the longest tail that is a unit.
    for (std::size_t at = 0; at < text.size(); ++at) {
      const char c = text[at];
      if ((c == '_' || c == ' ' || c == '/') && at > 0 && IsUnitText(std::string_view(text).substr(at + 1))) {
        unit = text.substr(at + 1);
        text.erase(at);
        break;
      }
    }
  }
  return {NormalName(text), unit};
}

std::optional<Role> RecognisedRole(std::string_view header) {
  const std::string name = SplitName(header).name;
  for (const Role role : {Role::Time, Role::Speed, Role::Wind, Role::Yaw, Role::Heading}) {
    const auto& names = KnownNames(role);
    if (std::find(names.begin(), names.end(), name) != names.end()) return role;
  }
  return std::nullopt;
}

ColumnSet ChooseColumns(const CsvTable& table, const ColumnOptions& options) {
  ColumnSet set;
  const std::array<std::pair<Column*, const std::string*>, 5> roles{{{&set.time, &options.time},
                                                                     {&set.speed, &options.speed},
                                                                     {&set.wind, &options.wind},
                                                                     {&set.yaw, &options.yaw},
                                                                     {&set.heading, &options.heading}}};
  for (std::size_t r = 0; r < roles.size(); ++r) {
    const Role role = static_cast<Role>(r);
    *roles[r].first = roles[r].second->empty() ? Recognised(table, role) : Chosen(table, role, *roles[r].second);
  }
  if (!set.speed.present) {
    if (table.names.empty()) {
      std::string hint;
      if (table.otherLine != 0) {
        hint = " (line " + std::to_string(table.otherLine) + " above the records holds " +
               std::to_string(table.otherFields) + " fields where the records hold " + std::to_string(table.columns) +
               (table.separator == Separator::Comma && table.otherFields < table.columns
                    ? ": decimal commas in a comma-separated file?"
                    : "") +
               ")";
      }
      throw ImportError(table.fileName + " has no header row with a name for each of its " +
                        std::to_string(table.columns) + " columns" + hint +
                        ": give the columns by position, e.g. --speed-column 2 (and --time-column, --wind-column, "
                        "--yaw-column), or --header LINE");
    }
    throw ImportError(table.fileName + ", line " + std::to_string(table.headerLine) +
                      ": no column is recognised as the vehicle speed among " + NameList(table) +
                      "; give --speed-column NAME or POSITION");
  }
  // One column can hold only one quantity.
  const std::array<std::pair<const Column*, Role>, 5> all{{{&set.time, Role::Time},
                                                           {&set.speed, Role::Speed},
                                                           {&set.wind, Role::Wind},
                                                           {&set.yaw, Role::Yaw},
                                                           {&set.heading, Role::Heading}}};
  for (std::size_t a = 0; a < all.size(); ++a) {
    for (std::size_t b = a + 1; b < all.size(); ++b) {
      if (all[a].first->present && all[b].first->present && all[a].first->index == all[b].first->index) {
        throw UsageError(all[a].first->label + " of " + table.fileName + " cannot be both the " +
                         RoleName(all[a].second) + " and the " + RoleName(all[b].second));
      }
    }
  }
  return set;
}

}  // namespace importer
