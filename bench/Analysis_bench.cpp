// The whole analysis, from the command line to the report: on a realistic
// test day that coastdown-sim writes (2 ZERO and 10 CAL runs of 60 s, 20
// coastdowns from 70 to 15 mph) and on data sets growing up to the largest
// that the 16-bit record and sample counts allow, which the benchmark writes
// itself. Reading the same files alone is measured beside it, so the
// analysis can be compared with the cost of its input.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "app/CommandLine.h"
#include "app/MethodInputs.h"
#include "app/ProgramOptions.h"
#include "app/RunOutputs.h"
#include "app/SAEAppWrapper.h"
#include "calibration/CVelkCal.h"
#include "common/Platform.h"
#include "common/UnitFactors.h"
#include "data/CDataCol.h"
#include "methods/ImpulseMethod.h"
#include "record/AnalysisRecord.h"
#include "record/Recorder.h"
#include "sim/Options.h"
#include "sim/TestFolder.h"

namespace {

constexpr double kMph = 0.44704;      // m/s per mph
constexpr double kDegree = 3.14159265358979 / 180.0;

// Coastdowns longer than any the simulator drives, to fill run files of up
// to 32767 records: a 3500 lb car of 22.5 ft², Cd 0.32, with 30 lbf + 0.25
// lbf/mph + 0.002 lbf/mph² of mechanical drag, slowed down `stretch` times,
// on a straight track in a 5 mph wind from 30° off the heading of the odd
// runs, seen through an anemometer with a gain of 0.98, an offset of -0.3
// mph, 1.5° of misalignment and a little noise.
struct LongCoastdowns {
  double massKg = 3500.0 * 4.448 / 9.80665;
  double rho = 1.204;
  double cdArea = 0.32 * 22.5 * 0.0929;
  double windMph = 5.0;
  double windFromDeg = 30.0;
  std::uint64_t noise = 0x9E3779B97F4A7C15ULL;

  // Uniform noise in [-1, 1).
  double Noise() {
    noise ^= noise << 13;
    noise ^= noise >> 7;
    noise ^= noise << 17;
    return static_cast<double>(noise >> 11) / 4503599627370496.0 - 1.0;
  }

  // Relative air speed (mph) and yaw (degrees, + from the right) at vehicle
  // speed v on a run of direction dir, with a slow gust on the wind.
  void RelativeAir(double vMph, int dir, double t, double& airMph, double& yawDeg) const {
    const double wind = windMph * (1.0 + 0.15 * std::sin(t / 7.0));
    const double from = (windFromDeg + (dir > 0 ? 0.0 : 180.0)) * kDegree;
    const double head = vMph + wind * std::cos(from);
    const double cross = wind * std::sin(from);
    airMph = std::sqrt(head * head + cross * cross);
    yawDeg = std::atan2(cross, head) / kDegree;
  }

  // Deceleration in mph per second.
  double Deceleration(double vMph, double airMph, double yawDeg, double stretch) const {
    const double mech = (30.0 + 0.25 * vMph + 0.002 * vMph * vMph) * 4.448;
    const double air = airMph * kMph;
    const double aero = 0.5 * rho * cdArea * (1.0 + 0.0008 * yawDeg * yawDeg) * air * air;
    return (mech + aero) / massKg / kMph / stretch;
  }

  // A run file of `records` records of a coastdown from v0.
  void WriteRun(const std::string& path, int run, int records, double v0, double stretch) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    const int dir = run % 2 == 1 ? 1 : -1;
    double v = v0;
    for (int p = 0; p < records; ++p) {
      const double t = p / 5.0;
      double air = 0.0;
      double yaw = 0.0;
      RelativeAir(v, dir, t + 100.0 * run, air, yaw);
      const double readSpeed = v + 0.02 * Noise();
      const double readAir = 0.98 * air - 0.3 + 0.1 * Noise();
      const double readYaw = yaw + 1.5 + 0.2 * Noise();
      std::fprintf(file, "%.6f,%.6f,%.6f\r\n", readSpeed, readAir, readYaw);
      for (int k = 0; k < 4; ++k) {
        RelativeAir(v, dir, t + 100.0 * run, air, yaw);
        v -= Deceleration(v, air, yaw, stretch) * 0.05;
      }
    }
    std::fclose(file);
  }
};

struct Folder {
  std::string path;
  std::string command;
  std::int64_t bytes = 0;
};

// A folder of this run's own, so that two benchmarks on one machine never
// write into each other's test; they are removed when the run ends. It lies
// under TMPDIR, whose file system is part of what /2 measures: on ext4
// without a journal every file created skips the inodes deleted in the last
// minutes, and the thousands of outputs replaced here pile them up.
std::string FreshFolder(const std::string& name) {
  struct Made {
    std::string suffix = std::to_string(std::random_device{}());
    std::vector<std::string> folders;
    ~Made() {
      std::error_code ignored;
      for (const std::string& folder : folders) std::filesystem::remove_all(folder, ignored);
    }
  };
  static Made made;
  const std::string path =
      (std::filesystem::temp_directory_path() / ("coastdown_bench_" + name + "_" + made.suffix)).string();
  std::filesystem::remove_all(path);
  made.folders.push_back(path);
  return path;
}

std::int64_t BytesIn(const std::string& path) {
  std::int64_t bytes = 0;
  for (const auto& entry : std::filesystem::directory_iterator(path)) {
    bytes += static_cast<std::int64_t>(entry.file_size());
  }
  return bytes;
}

// Five coastdowns of `records` records each, no ZERO or CAL runs.
Folder LongCoastdownFolder(int records) {
  Folder folder;
  folder.path = FreshFolder("records_" + std::to_string(records));
  std::filesystem::create_directories(folder.path);
  // A coastdown from 70 mph lasts about 140 s; slower ones fill longer files.
  const double stretch = std::max(1.0, records / 5.0 / 120.0);
  LongCoastdowns day;
  for (int r = 1; r <= 5; ++r) day.WriteRun(folder.path + "/DATA." + std::to_string(r), r, records, 70.0, stretch);
  folder.bytes = BytesIn(folder.path);
  folder.command = folder.path + ",False,False,15,70,3500,68,29.92,22.5,";
  return folder;
}

void AnalyseFolder(benchmark::State& state, const Folder& folder) {
  KeepFreedMemoryForReuse();  // as the program does at its start
  for (auto _ : state) {
    SAEAppWrapper app;
    app.SetParams(SplitCommandLine(folder.command));
    app.Process();
    if (app.ReportSaveFailed()) state.SkipWithError("the report could not be written");
    benchmark::DoNotOptimize(app.CD);
  }
  state.SetBytesProcessed(state.iterations() * folder.bytes);
}


// The realistic test day, written once by the simulator.
const Folder& RealisticFolder() {
  static const Folder folder = [] {
    Folder made;
    made.path = FreshFolder("realistic");
    made.command = sim::WriteTestFolder(
        sim::ParseOptions({"--out", made.path, "--zero-runs", "2", "--zero-duration", "60", "--cal-runs", "10",
                           "--cal-speeds", "30,45,60,40,55", "--cal-duration", "60", "--data-runs", "20"})
            .config);
    made.bytes = BytesIn(made.path);
    return made;
  }();
  return folder;
}

// What a run of the program does besides the analysis.
enum class Outputs {
  None,    // nobody listens: the analysis as it was before the record existed
  Record,  // the record the program always keeps, for its warnings and checks
  All,     // and --json, --samples and --html, with the SHA-256 of the run files
};

// One run of the realistic test as `coastdown` makes it, from the fields to
// the last file written; returns the bytes written besides the report.
// Kept out of line, so that an instruction count can be taken of it alone
// (valgrind --tool=callgrind --toggle-collect='*RunRealisticTest*').
[[gnu::noinline]] std::size_t RunRealisticTest(const Folder& folder, Outputs outputs,
                                               AnalysisMethodKind method = AnalysisMethodKind::Legacy) {
  SAEAppWrapper app;
  ProgramOptions options;
  options.methods.method = method;
  std::unique_ptr<ImpulseMethod> impulse;
  if (method == AnalysisMethodKind::Impulse) {
    impulse = std::make_unique<ImpulseMethod>(options.methods);
    app.UseMethod(impulse.get(), MethodInputsFromOptions(options.methods));
  }
  if (outputs == Outputs::None) {
    app.SetParams(SplitCommandLine(folder.command));
    app.Process();
    return 0;
  }
  options.quiet = true;
  if (outputs == Outputs::All) {
    options.json = folder.path + "/record.json";
    options.samples = folder.path + "/samples.csv";
    options.html = folder.path + "/page.html";
  }
  record::AnalysisRecord analysis;
  record::Recorder recorder(analysis);
  StartRecord(analysis, folder.command, SplitCommandLine(folder.command), options);
  app.SetParams(analysis.fields);
  app.Observe(&recorder);
  recorder.HashRunFiles(!options.json.empty() || !options.html.empty());
  app.Process();
  if (impulse) recorder.ImpulseAnalysed(impulse->Analysis());
  recorder.Finish(nullptr);
  PrintWarnings(analysis, options);
  WriteRequestedOutputs(analysis, options);
  std::size_t bytes = 0;
  for (const std::string* path : {&options.json, &options.samples, &options.html}) {
    if (!path->empty()) bytes += static_cast<std::size_t>(std::filesystem::file_size(*path));
  }
  return bytes;
}

// 2 ZERO, 10 CAL and 20 DATA runs, the analysis as a user runs it: with
// nobody listening (0), with the record the program keeps (1, a plain run
// of coastdown), and with every output written besides (2). The record's
// budget: 1 at most 10 % above 0, and 2 at most 1.5 times 1.
void BM_RealisticTest(benchmark::State& state) {
  const Folder& folder = RealisticFolder();
  KeepFreedMemoryForReuse();  // as the program does at its start
  const auto outputs = static_cast<Outputs>(state.range(0));
  std::size_t bytes = 0;
  for (auto _ : state) bytes = RunRealisticTest(folder, outputs);
  state.SetLabel(outputs == Outputs::None     ? "nobody listening"
                 : outputs == Outputs::Record ? "record"
                                              : "record, --json --samples --html");
  state.counters["output_kB"] = static_cast<double>(bytes) / 1000.0;
}
BENCHMARK(BM_RealisticTest)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The same test with --method impulse: the specified steps up to the loaded
// DATA runs, the specified fit beside the method (for the record's
// comparison), the impulse fit with its refits for the calibration's
// uncertainty, and the record. Its budget: twice BM_RealisticTest/1, the
// specified analysis as a user runs it.
void BM_RealisticTestImpulse(benchmark::State& state) {
  const Folder& folder = RealisticFolder();
  KeepFreedMemoryForReuse();
  const auto outputs = static_cast<Outputs>(state.range(0));
  std::size_t bytes = 0;
  for (auto _ : state) bytes = RunRealisticTest(folder, outputs, AnalysisMethodKind::Impulse);
  state.SetLabel(outputs == Outputs::None     ? "--method impulse, nobody listening"
                 : outputs == Outputs::Record ? "--method impulse, record"
                                              : "--method impulse, record, --json --samples --html");
  state.counters["output_kB"] = static_cast<double>(bytes) / 1000.0;
}
BENCHMARK(BM_RealisticTestImpulse)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// Only reading the three sets of the same folder.
void BM_RealisticTestReadOnly(benchmark::State& state) {
  const Folder* folder = &RealisticFolder();
  KeepFreedMemoryForReuse();
  UnitFactors().SpeedFactor = kMph;
  CVelkCal calibrator;  // uncalibrated, as for the zero runs
  for (auto _ : state) {
    CDataCol zero;
    zero.Load(folder->path + "/ZERO", calibrator, 0.0);
    CDataCol cal;
    cal.Load(folder->path + "/CAL", calibrator, 0.0);
    CDataCol data;
    data.Load(folder->path + "/DATA", calibrator, 0.0);
    benchmark::DoNotOptimize(data.Count());
  }
  state.SetBytesProcessed(state.iterations() * folder->bytes);
}
BENCHMARK(BM_RealisticTestReadOnly)->Unit(benchmark::kMillisecond);

// Five DATA runs of the given number of records each, no ZERO or CAL runs.
// 32767 records a file is the most a file may hold, and five such files
// give 32760 samples, just below the 32767 that a data set may count.
void BM_DataRecords(benchmark::State& state) {
  const auto records = static_cast<int>(state.range(0));
  const Folder folder = LongCoastdownFolder(records);
  AnalyseFolder(state, folder);
  state.SetComplexityN(5 * static_cast<std::int64_t>(records));
  std::filesystem::remove_all(folder.path);
}
BENCHMARK(BM_DataRecords)
    ->Arg(2048)
    ->Arg(4096)
    ->Arg(8192)
    ->Arg(16384)
    ->Arg(32767)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace
