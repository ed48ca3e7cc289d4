// Everything one simulated test is made of, in the units a test engineer
// types: mph, lb, ft², °F, inHg, lbf. Conversion to SI happens where the
// physics is computed, never here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

struct VehicleConfig {
  double weightLb = 3500.0;      // test (inertia) weight
  double areaFt2 = 22.5;         // frontal area
  double cd0 = 0.32;             // drag coefficient with the wind on the nose
  double cdYawPerDeg2 = 0.0008;  // k in Cd(ψ) = Cd0·(1 + k·ψ²), ψ in degrees
  double mechA = 30.0;           // lbf
  double mechB = 0.25;           // lbf per mph
  double mechC = 0.002;          // lbf per mph²
  // RMS of a random force from the road (surface, small grades), lbf; a new
  // value every record interval, zero on average.
  double roadNoiseLbf = 0.0;
  // Inertia of wheels and drivetrain as a mass, kg: the vehicle accelerates
  // as m + rotatingMassKg while it weighs m·g.
  double rotatingMassKg = 0.0;
};

struct ConditionsConfig {
  double temperatureF = 68.0;
  double pressureInHg = 29.92;
};

// The true wind. Its direction is where it blows from, in degrees clockwise
// from the heading of the odd-numbered runs: 0 is a head wind on odd runs,
// 90 a wind from their right.
struct WindConfig {
  double speedMph = 0.0;
  double directionDeg = 0.0;
  double driftMph = 0.0;        // amplitude of the slow change of wind speed
  double veerDeg = 0.0;         // amplitude of the slow change of direction
  double driftPeriodS = 900.0;  // period of both slow changes
  double gustMph = 0.0;         // RMS of each horizontal gust component
  double gustTimeS = 4.0;       // shortest gust period
};

// The anemometer as it reads the true relative air speed u and yaw ψ:
//   speed reading = gain·u / (1 − loss·ψ²) + offset + noise
//   yaw reading   = yawGain·ψ + misalignment + noise
// Unset yawGain and loss follow the gain the way the analysis' calibration
// couples them (yawGain = gain^−1.5, loss = (1/gain − 1)·0.00053), so that
// a calibrated analysis can undo the errors exactly.
struct AnemometerConfig {
  double gain = 0.98;
  double offsetMph = -0.3;
  double misalignDeg = 1.5;
  std::optional<double> yawGain;
  std::optional<double> lossPerDeg2;
  double speedNoiseMph = 0.1;
  double yawNoiseDeg = 0.2;

  double EffectiveYawGain() const;
  double EffectiveLoss() const;
};

struct RunPlan {
  int zeroRuns = 2;
  double zeroSpeedMph = 50.0;
  double zeroDurationS = 30.0;
  int calRuns = 6;
  std::vector<double> calSpeedsMph = {30.0, 45.0, 60.0};  // one per pair, repeated
  double calDurationS = 30.0;
  int dataRuns = 10;
  double coastHighMph = 70.0;
  double coastLowMph = 15.0;
  double turnTimeS = 60.0;  // from the end of one run to the start of the next
  double stepS = 0.01;      // integration step; divides the 0.2 s record interval
};

// What a coastdown file holds around the coast itself when it is written as
// a logger records it: driving up to speed and holding it before, braking
// to a standstill and standing after. All of it happens within the turn
// time, so the coasts stay those of a trimmed test.
struct UntrimmedConfig {
  bool enabled = false;
  double turnSpeedMph = 20.0;  // speed through the turns between runs
  double driveAccel = 1.5;     // m/s², speeding up (and slowing for a turn)
  double steadyS = 5.0;        // held at the coast's high speed before it
  double brakeDecel = 4.0;     // m/s² of the brakes on top of the road load
  double standstillS = 20.0;   // at rest after the braking
};

enum class CsvLayout { None, PerRun, Day };
enum class CsvTime { Seconds, Clock, None };
enum class CsvSpeed { Kmh, Mph, Ms };

// Runs written again as a data logger exports them.
struct LoggerCsvConfig {
  CsvLayout layout = CsvLayout::None;
  char separator = ',';
  char decimal = '.';
  CsvTime time = CsvTime::Seconds;
  CsvSpeed speedUnit = CsvSpeed::Kmh;
  bool wind = true;                   // relative wind speed and yaw columns
  bool header = true;                 // a first line of column names
  int decimals = 3;                   // of speeds and yaw
  double clockStartS = 9.0 * 3600.0;  // clock time of the first run's start
};

struct SimConfig {
  std::string outDir;
  bool force = false;  // write into outDir even when it holds an earlier test
  std::string scenario = "still-air";  // the plain defaults of these structs
  std::uint64_t seed = 1;
  VehicleConfig vehicle;
  ConditionsConfig conditions;
  WindConfig wind;
  AnemometerConfig anemometer;
  double speedNoiseMph = 0.02;  // noise of the vehicle speed reading
  RunPlan runs;
  std::optional<double> knownCd;  // written into the command's CD field
  int rate = 5;                   // records per second of every run file
  bool noAnemometer = false;      // wind and yaw columns hold 0
  bool trackWindFile = false;     // write trackwind.csv
  double trackWindNoiseMph = 0.0;  // error of each run's mean in each component
  bool yawCurveFile = false;       // write yawcurve.csv
  UntrimmedConfig untrimmed;
  LoggerCsvConfig loggerCsv;
  // Made with an option or scenario added for the new analysis methods:
  // truth.txt then records those options and the road-load truth. Folders
  // made without any of them keep every byte they had before.
  bool extended = false;
  // The options that made this test, --out and --force left out, as a
  // shell takes them back; truth.txt records them.
  std::string optionText;
};

}  // namespace sim
