// Files to runs: reading, finding, trimming, resampling, the command.
#include "Importer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "Command.h"
#include "TextDecoding.h"
#include "common/FileSystem.h"
#include "common/RuntimeError.h"

namespace importer {

namespace {

// The analysis counts a run file's records in 16 bits, and reduces a run
// to one-second samples of which it needs two.
constexpr std::size_t kMostRecords = 32767;
constexpr std::size_t kFewestRecords = 11;

// A file's name as messages show it: as it is, or in quotes with its
// hidden characters shown when it has any (a CR from a script edited on
// Windows).
std::string ShownName(const std::string& path) {
  const std::string quoted = Quoted(path);
  return quoted.size() == path.size() + 2 ? path : quoted;
}

std::string ReadWholeFile(const std::string& path) {
  try {
    InputFile file;
    if (!file.Open(path)) throw ImportError(ShownName(path) + ": no such file");
    std::string bytes;
    char buffer[1 << 16];
    for (;;) {
      const std::size_t got = file.Read(buffer, sizeof buffer);
      if (got == 0) break;
      bytes.append(buffer, got);
    }
    return bytes;
  } catch (const RuntimeError& error) {
    const char* what = error.Number() == ErrorNumber::PathNotFound       ? "a folder of the path does not exist"
                       : error.Number() == ErrorNumber::PermissionDenied ? "permission denied"
                                                                         : "not a file that can be read";
    throw ImportError(ShownName(path) + ": " + what);
  }
}

double Seconds(const Recording& r, std::size_t first, std::size_t last) {
  return r.samples[last].time - r.samples[first].time;
}

// The trimmed part of a run whose records are segment, as its set wants
// it: the coast of a DATA run, the steady part of a ZERO or CAL run.
Trim TrimRun(const Recording& r, const Segment& segment, RunSet set, const Options& options) {
  Trim trim;
  if (!options.trim) {
    trim.found = true;
    trim.first = segment.first;
    trim.last = segment.last;
    return trim;
  }
  std::vector<double> t;
  std::vector<double> v;
  for (std::size_t i = segment.first; i <= segment.last; ++i) {
    t.push_back(r.samples[i].time);
    v.push_back(r.samples[i].speed);
  }
  TrimSettings settings;
  settings.stopSpeed = options.stopSpeed;
  trim = set == RunSet::Data ? FindCoast(t, v, settings) : FindSteady(t, v, settings);
  trim.first += segment.first;
  trim.last += segment.first;
  return trim;
}

std::string RunName(RunSet set, int number) { return std::string(RunSetName(set)) + "." + std::to_string(number); }

// Where a run was found, as the user finds it in the file.
std::string Place(const Recording& r, const Segment& s) {
  return r.fileName + ", lines " + std::to_string(r.samples[s.first].line) + " to " +
         std::to_string(r.samples[s.last].line) + " (" + r.TimeText(r.samples[s.first].time) + " to " +
         r.TimeText(r.samples[s.last].time) + ")";
}

double MaxSpeed(const Recording& r, const Segment& s) {
  double most = 0.0;
  for (std::size_t i = s.first; i <= s.last; ++i) most = std::max(most, r.samples[i].speed);
  return most;
}

// A run found in a recording, before the user's order gives it its role.
struct Candidate {
  std::size_t recording;
  Segment segment;
  Trim coast;
  Trim steady;
  bool isCoast;
};

std::vector<double> SplitTimes(const Recording& r, const Options& options) {
  std::vector<double> times;
  for (const std::string& text : options.splitTimes) {
    double t = 0.0;
    if (r.timeUnit == TimeUnit::Clock) {
      const std::optional<double> clock = ParseClock(text);
      if (!clock) throw UsageError("--split: " + Quoted(text) + " is not a clock time, as " + r.fileName + " writes its times");
      t = *clock;
      // A clock that passed midnight: the cut on the day it falls in.
      while (!r.samples.empty() && t < r.samples.front().time) t += 86400.0;
    } else {
      const std::optional<double> seconds = ParseDecimal(text, DecimalMark::Point);
      if (!seconds) throw UsageError("--split: " + Quoted(text) + " is not a time in seconds");
      t = *seconds * (r.timeUnit == TimeUnit::Milliseconds ? 0.001 : 1.0);
    }
    times.push_back(t);
  }
  std::sort(times.begin(), times.end());
  return times;
}

// Every run the recordings hold, in time order, and what is no run.
std::vector<Candidate> FindRuns(const ImportResult& result, const Options& options, std::vector<SkippedPart>& skipped) {
  std::vector<Candidate> found;
  SplitSettings split;
  split.drop = options.splitDrop;
  split.maxGap = options.maxGap;
  for (std::size_t k = 0; k < result.recordings.size(); ++k) {
    const Recording& r = result.recordings[k];
    const std::vector<Segment> segments =
        options.splitTimes.empty() ? SplitAtValleys(r, split) : SplitAtTimes(r, SplitTimes(r, options));
    for (const Segment& s : segments) {
      Candidate c{k, s, TrimRun(r, s, RunSet::Data, options), TrimRun(r, s, RunSet::Cal, options), false};
      if (!options.trim) {
        c.isCoast = true;
      } else if (c.coast.found || c.steady.found) {
        // A coastdown may start from a short hold, and a steady run may end
        // in a short coast: the longer part says which run it is.
        c.isCoast = c.coast.found &&
                    (!c.steady.found || Seconds(r, c.coast.first, c.coast.last) >= Seconds(r, c.steady.first, c.steady.last));
      } else {
        skipped.push_back({k, s, 0,
                           "neither a coast of " + std::to_string(static_cast<int>(TrimSettings{}.minCoast)) +
                               " s nor a steady stretch of " + std::to_string(static_cast<int>(TrimSettings{}.minSteady)) +
                               " s (up to " + r.SpeedText(MaxSpeed(r, s)) + ")"});
        continue;
      }
      found.push_back(c);
    }
  }
  return found;
}

std::string Describe(const ImportResult& result, const Candidate& c, int number) {
  const Recording& r = result.recordings[c.recording];
  std::string text = "run " + std::to_string(number) + ": " + Place(r, c.segment) + ", ";
  if (c.isCoast && c.coast.found) {
    text += "a coast from " + r.SpeedText(r.samples[c.coast.first].speed) + " to " +
            r.SpeedText(r.samples[c.coast.last].speed);
  } else if (c.steady.found) {
    text += "steady at " + r.SpeedText(0.5 * (c.steady.bandLow + c.steady.bandHigh));
  } else {
    text += "up to " + r.SpeedText(MaxSpeed(r, c.segment));
  }
  return text;
}

void AddRun(ImportResult& result, RunSet set, std::size_t recording, const Segment& segment, int found,
            const Options& options) {
  const Recording& r = result.recordings[recording];
  ImportedRun run;
  run.set = set;
  run.recording = recording;
  run.found = found;
  run.segment = segment;
  run.trimmed = options.trim;
  run.trim = TrimRun(r, segment, set, options);
  result.runs.push_back(run);
}

// Runs of a set numbered in order, and the sets in the order of the run
// files: ZERO, CAL, DATA.
void Number(ImportResult& result) {
  std::stable_sort(result.runs.begin(), result.runs.end(),
                   [](const ImportedRun& a, const ImportedRun& b) { return a.set < b.set; });
  int counts[3] = {0, 0, 0};
  for (ImportedRun& run : result.runs) run.number = ++counts[static_cast<int>(run.set)];
}

void CheckAndResample(ImportResult& result, const Options& options) {
  for (ImportedRun& run : result.runs) {
    const Recording& r = result.recordings[run.recording];
    const std::string name = RunName(run.set, run.number);
    std::string which = run.found > 0 ? "run " + std::to_string(run.found) + " of " + r.fileName : r.fileName;
    which += " (" + name + "): ";
    if (!run.trim.found) {
      std::string message = which;
      message += run.set == RunSet::Data ? "no coast found: " : "no steady part found: ";
      message += run.trim.failure + "; give --no-trim if the " + (run.found > 0 ? "runs hold" : "file holds") +
                 " nothing else";
      throw ImportError(message);
    }
    for (const Gap& gap : r.gaps) {
      if (gap.after >= run.trim.first && gap.after < run.trim.last && gap.length > options.maxGap) {
        char length[32];
        std::snprintf(length, sizeof length, "%.3g", gap.length);
        throw ImportError(r.fileName + ", line " + std::to_string(r.samples[gap.after].line) + ": no record for " +
                          length + " s after " + r.TimeText(r.samples[gap.after].time) + ", within " + name +
                          "; give --max-gap " + length + " to bridge it by a straight line, or cut the run there");
      }
    }
    run.records = Resample(r.samples, run.trim.first, run.trim.last, r.interval);
    if (run.records.size() < kFewestRecords) {
      throw ImportError(which + std::to_string(run.records.size()) + " run-file records; coastdown needs " +
                        std::to_string(kFewestRecords) + " (two one-second samples)");
    }
    if (run.records.size() > kMostRecords) {
      throw ImportError(which + std::to_string(run.records.size()) + " run-file records; coastdown reads at most " +
                        std::to_string(kMostRecords) + " a run");
    }
  }
}

// coastdown takes odd DATA runs one way and even ones the other, and each
// CAL pair (1,2), (3,4), … as opposite. A heading column tells each run's
// direction; without one, the runs of a recording alternate, so a run left
// out between two of a set makes them go the same way.
void CheckDirections(ImportResult& result) {
  constexpr double kMovingSpeed = 3.0;  // m/s: slower, a GPS heading is mostly noise
  const bool headings = std::any_of(result.recordings.begin(), result.recordings.end(),
                                    [](const Recording& r) { return r.columns.heading.present; });
  if (headings) {
    const TrackAxis axis = AxisOf(result.recordings, kMovingSpeed);
    if (!axis.straight) {
      char concentration[32];
      std::snprintf(concentration, sizeof concentration, "%.2f", axis.concentration);
      result.warnings.push_back(std::string("the headings do not keep to one axis (concentration ") + concentration +
                                " of 1): the runs' directions are not checked");
    }
    for (ImportedRun& run : result.runs) {
      run.direction = DirectionOf(result.recordings[run.recording], run.trim.first, run.trim.last, axis, kMovingSpeed);
      if (run.direction.sign != 0 && run.direction.otherShare > 0.1) {
        result.warnings.push_back(RunName(run.set, run.number) + " goes both ways (" +
                                  FieldText(std::round(100.0 * run.direction.otherShare)) +
                                  " % of its records the other way): a turn within it? give --split");
      }
    }
  }
  for (const RunSet set : {RunSet::Cal, RunSet::Data}) {
    const ImportedRun* previous = nullptr;
    for (const ImportedRun& run : result.runs) {
      if (run.set != set) continue;
      const bool paired = set == RunSet::Data || run.number % 2 == 0;
      if (previous != nullptr && paired) {
        const std::string both = RunName(set, previous->number) + " and " + RunName(set, run.number);
        if (previous->direction.sign != 0 && run.direction.sign != 0) {
          if (previous->direction.sign == run.direction.sign) {
            result.warnings.push_back(both + " go the same way (headings " +
                                      FieldText(std::round(previous->direction.headingDeg)) + " and " +
                                      FieldText(std::round(run.direction.headingDeg)) +
                                      " degrees), but coastdown takes them as opposite: leave out runs in pairs");
          }
        } else if (run.found > 0 && previous->found > 0 && (run.found - previous->found) % 2 == 0) {
          result.warnings.push_back(both + " are runs " + std::to_string(previous->found) + " and " +
                                    std::to_string(run.found) +
                                    " of the recordings, which went the same way if the runs alternate, but coastdown "
                                    "takes them as opposite: leave out runs in pairs");
        }
      }
      previous = &run;
    }
  }
  if (result.Count(RunSet::Data) % 2 != 0) {
    const int n = result.Count(RunSet::Data);
    result.warnings.push_back(std::to_string(n) + (n == 1 ? " DATA run" : " DATA runs") +
                              ": not as many one way as the other");
  }
  if (result.Count(RunSet::Cal) % 2 != 0) {
    const int n = result.Count(RunSet::Cal);
    result.warnings.push_back(std::to_string(n) + (n == 1 ? " CAL run" : " CAL runs") +
                              ": coastdown calibrates on pairs of opposite runs");
  }
}

std::string FolderField(const std::string& outDir) {
  std::string folder = sim::NativePath(outDir);
  // coastdown would read a leading dash as one of its options.
  if (!folder.empty() && folder.front() == '-') folder.insert(0, std::string(".") + kPathSeparator);
  return folder;
}

void FormCommand(ImportResult& result, const Options& options) {
  result.command = options.command;
  if (!options.command) return;
  double lowestStart = INFINITY;
  double highestEnd = 0.0;
  for (const ImportedRun& run : result.runs) {
    if (run.set != RunSet::Data) continue;
    lowestStart = std::min(lowestStart, MetresPerSecondToMph(run.records.front().speed));
    highestEnd = std::max(highestEnd, MetresPerSecondToMph(run.records.back().speed));
  }
  result.speedsFromData = !options.minSpeedMph || !options.maxSpeedMph;
  result.minSpeedMph = options.minSpeedMph ? *options.minSpeedMph : std::round(highestEnd);
  result.maxSpeedMph = options.maxSpeedMph ? *options.maxSpeedMph : std::round(lowestStart);
  if (!(result.minSpeedMph < result.maxSpeedMph)) {
    throw ImportError("the DATA coasts share no speed range (the highest end speed, " + FieldText(highestEnd) +
                      " mph, is not below the lowest start speed, " + FieldText(lowestStart) +
                      " mph); give --min-speed and --max-speed");
  }
  const std::string fields[] = {
      FolderField(options.outDir),
      result.Count(RunSet::Cal) >= 2 ? "True" : "False",
      result.Count(RunSet::Zero) >= 1 ? "True" : "False",
      FieldText(result.minSpeedMph),
      FieldText(result.maxSpeedMph),
      FieldText(*options.weightLb),
      FieldText(*options.temperatureF),
      FieldText(*options.pressureInHg),
      FieldText(*options.areaFt2),
      options.knownCd ? FieldText(*options.knownCd) : std::string(),
  };
  for (std::size_t i = 0; i < std::size(fields); ++i) result.arguments += (i == 0 ? "" : ",") + fields[i];
}

// The number in a file's name ("run12.csv" gives 12), or -1.
long NumberInName(const std::string& path) {
  const std::string name = path.substr(path.find_last_of("/\\") == std::string::npos ? 0 : path.find_last_of("/\\") + 1);
  const std::size_t last = name.find_last_of("0123456789");
  if (last == std::string::npos) return -1;
  std::size_t first = last;
  while (first > 0 && name[first - 1] >= '0' && name[first - 1] <= '9') --first;
  return last - first < 9 ? std::stol(name.substr(first, last - first + 1)) : -1;
}

// Files of one run each are numbered in the order given, which is the
// driving order coastdown relies on: a shell sorts run10.csv before
// run2.csv, and clock times tell when a file was recorded.
void CheckOrder(ImportResult& result, const Options& options) {
  std::size_t k = 0;
  for (const auto& [set, names] : {std::pair{RunSet::Zero, &options.zeroFiles}, std::pair{RunSet::Cal, &options.calFiles},
                                   std::pair{RunSet::Data, &options.dataFiles}}) {
    bool numbered = names->size() > 1;
    bool inOrder = true;
    bool clocksInOrder = true;
    for (std::size_t i = 0; i < names->size(); ++i) {
      const long number = NumberInName((*names)[i]);
      numbered = numbered && number >= 0;
      if (i > 0) {
        inOrder = inOrder && number > NumberInName((*names)[i - 1]);
        const Recording& a = result.recordings[k + i - 1];
        const Recording& b = result.recordings[k + i];
        if (a.timeUnit == TimeUnit::Clock && b.timeUnit == TimeUnit::Clock &&
            std::fmod(b.samples.front().time, 86400.0) < std::fmod(a.samples.back().time, 86400.0)) {
          clocksInOrder = false;
        }
      }
    }
    const std::string which = std::string(RunSetName(set)) + " files";
    if (numbered && !inOrder) {
      result.warnings.push_back(which + " are numbered in the order given, and the numbers in their names are not in "
                                "that order (a shell sorts run10 before run2): give them in driving order");
    }
    if (!clocksInOrder) {
      result.warnings.push_back(which + " are numbered in the order given, and their clock times are not in that "
                                "order: give them in driving order");
    }
    k += names->size();
  }
}

void CheckDistinct(const Options& options) {
  std::vector<std::string> all;
  for (const auto* names : {&options.zeroFiles, &options.calFiles, &options.dataFiles, &options.recordings}) {
    all.insert(all.end(), names->begin(), names->end());
  }
  for (std::size_t i = 0; i < all.size(); ++i) {
    for (std::size_t j = i + 1; j < all.size(); ++j) {
      std::error_code error;
      if (all[i] == all[j] || (std::filesystem::equivalent(all[i], all[j], error) && !error)) {
        throw ImportError(ShownName(all[i]) + " and " + ShownName(all[j]) +
                          " are the same file: each run is given once");
      }
    }
  }
}

}  // namespace

int ImportResult::Count(RunSet set) const {
  return static_cast<int>(std::count_if(runs.begin(), runs.end(), [&](const ImportedRun& r) { return r.set == set; }));
}

std::string FieldText(double value) {
  char text[64];
  const auto r = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 10);
  return std::string(text, r.ptr);
}

ImportResult ImportTexts(const Options& options, const std::vector<std::pair<std::string, std::string>>& files) {
  ImportResult result;
  for (const auto& [name, bytes] : files) {
    const DecodedText decoded = DecodeText(bytes, ShownName(name));
    result.recordings.push_back(ReadRecording(ShownName(name), decoded.text, decoded.encoding, options.read));
    const std::vector<std::string>& w = result.recordings.back().warnings;
    result.warnings.insert(result.warnings.end(), w.begin(), w.end());
  }

  if (options.recordings.empty()) {
    std::size_t k = 0;
    for (const auto& [set, names] : {std::pair{RunSet::Zero, &options.zeroFiles}, std::pair{RunSet::Cal, &options.calFiles},
                                     std::pair{RunSet::Data, &options.dataFiles}}) {
      for (std::size_t i = 0; i < names->size(); ++i, ++k) {
        const Recording& r = result.recordings[k];
        AddRun(result, set, k, {0, r.samples.size() - 1}, 0, options);
      }
    }
    CheckOrder(result, options);
  } else {
    const std::vector<Candidate> found = FindRuns(result, options, result.skipped);
    if (!options.runOrder.empty() && options.runOrder.size() != found.size()) {
      std::string list;
      for (std::size_t i = 0; i < found.size(); ++i) list += "\n  " + Describe(result, found[i], static_cast<int>(i) + 1);
      throw ImportError("--run-order gives " + std::to_string(options.runOrder.size()) + " runs, but the recordings hold " +
                        std::to_string(found.size()) + ":" + list);
    }
    for (std::size_t i = 0; i < found.size(); ++i) {
      const Candidate& c = found[i];
      const int number = static_cast<int>(i) + 1;
      RunRole role = c.isCoast ? RunRole::Data : RunRole::Skip;
      if (!options.runOrder.empty()) role = options.runOrder[i];
      if (role == RunRole::Skip) {
        const bool steadyLeft = options.runOrder.empty();
        result.skipped.push_back({c.recording, c.segment, number,
                                  steadyLeft ? "steady: give --run-order to use it as a ZERO or CAL run" : "skipped by --run-order"});
        if (steadyLeft) {
          result.warnings.push_back(Describe(result, c, number) + ", is not imported: steady runs need --run-order " +
                                    "to say which are ZERO and which are CAL runs");
        }
        continue;
      }
      const RunSet set = role == RunRole::Zero ? RunSet::Zero : role == RunRole::Cal ? RunSet::Cal : RunSet::Data;
      AddRun(result, set, c.recording, c.segment, number, options);
    }
  }
  Number(result);
  if (result.Count(RunSet::Data) == 0) {
    throw ImportError("no DATA run: " + std::string(options.recordings.empty() ? "give --data FILE..."
                                                                               : "the recordings hold no coast") +
                      " (coastdown analyses the DATA runs)");
  }
  CheckAndResample(result, options);
  CheckDirections(result);
  FormCommand(result, options);
  return result;
}

ImportResult Import(const Options& options) {
  CheckDistinct(options);
  std::vector<std::pair<std::string, std::string>> files;
  for (const auto* names : {&options.zeroFiles, &options.calFiles, &options.dataFiles, &options.recordings}) {
    for (const std::string& name : *names) files.emplace_back(name, ReadWholeFile(name));
  }
  return ImportTexts(options, files);
}

}  // namespace importer
