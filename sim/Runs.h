// The runs of one test, driven one after the other on a single test clock:
// ZERO runs and CAL runs at steady speed, DATA runs as coastdowns, odd runs
// one way down the track and even runs the other way.
#pragma once

#include <string>
#include <vector>

#include "Anemometer.h"
#include "Config.h"
#include "Random.h"
#include "Vehicle.h"
#include "Wind.h"

namespace sim {

// The analysis counts records in 16 bits; stay well inside.
inline constexpr double kLongestRunS = 6000.0;

// The longest a coast may take at `rate` records a second: 6000 s, or less
// where its records would not fit a run file.
double LongestCoastSeconds(int rate);

enum class RunKind { Zero, Cal, Data };

// "ZERO", "CAL" or "DATA": the base name of the run files.
const char* RunSetName(RunKind kind);

// What the vehicle and the air truly did at one record.
struct TrueState {
  double time;   // s from the start of the run
  double speed;  // vehicle speed, m/s
  RelativeAir air;
};

// One line of a run file.
struct Record {
  double speedMph;
  double windMph;
  double yawDeg;
};

// Records the driver makes around a run: the driving before a coast, the
// braking and standstill after it, a turn between two runs.
struct Stretch {
  std::vector<TrueState> truth;  // times from the start of the run; of a turn, on the test clock
  std::vector<Record> records;
};

struct Run {
  RunKind kind;
  int number;          // 1-based within its set
  double startTime;    // s on the test clock
  std::vector<TrueState> truth;
  std::vector<Record> records;
  // What an untrimmed DATA file holds before and after the coast.
  Stretch before;
  Stretch after;
};

// Where a run lies in a file: its first and last record, counting the
// file's records from 1.
struct FileSpan {
  std::string run;  // "ZERO.1", "DATA.3"
  long first;
  long last;
};

// The records of `run`'s file: the run, and the driving around it when
// the file is untrimmed.
std::vector<Record> FileRecords(const Run& run);

class TestDrive {
 public:
  explicit TestDrive(const SimConfig& config);

  // Every run of the plan in driving order: ZERO, then CAL, then DATA.
  std::vector<Run> DriveAll() const;

  // A run at constant speed `speedMph` for `durationS` seconds; records at
  // 0, 0.2, …, durationS.
  Run Steady(RunKind kind, int number, double speedMph, double durationS, double startTime) const;
  // A coastdown from the plan's high speed until the first record below its
  // low speed (that record included); untrimmed, with the driving before
  // it and the braking and standstill after it.
  Run Coastdown(int number, double startTime) const;

  // The records strictly between test-clock times `from` and `to` (on the
  // record grid) while the vehicle slows from `a`'s last speed to the turn
  // speed, turns from `a`'s heading to `b`'s and gets up to `b`'s first
  // speed. `index` numbers the turns of the day for their noise. Throws
  // std::runtime_error when the time is too short.
  Stretch Turn(const Run& a, const Run& b, double from, double to, int index) const;

  const Vehicle& vehicle() const { return vehicle_; }
  const WindField& wind() const { return wind_; }

 private:
  // Adds the noisy readings of run.truth to run.records.
  void Instrument(Run& run) const;
  // The same for a stretch away from the runs, from `noise`.
  void Instrument(Stretch& stretch, Random& noise) const;
  Record Read(const TrueState& state, Random& noise, bool onRun) const;
  RelativeAir AirAt(double clock, double speed, int heading) const;
  // The driving up to speed before coast `run` and the braking and
  // standstill after it.
  void AddDrivingAround(Run& run) const;

  SimConfig config_;
  double interval_;  // s between records
  Vehicle vehicle_;
  WindField wind_;
  Anemometer anemometer_;
};

// The air density of the test day from the configured conditions.
double TestAirDensity(const ConditionsConfig& conditions);

}  // namespace sim
