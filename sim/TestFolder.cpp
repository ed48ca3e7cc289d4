// Simulating a test and laying it out as a folder coastdown can read.
#include "TestFolder.h"

#include <filesystem>
#include <stdexcept>

#include "Command.h"
#include "NumberFormat.h"
#include "RunWriter.h"
#include "Truth.h"

namespace sim {

std::vector<SecondSample> OneSecondSamples(const std::vector<Record>& r) {
  // Sample i is the mean of the five records centred on second i, and its
  // deceleration is the trapezoidal mean speed over second i−1..i minus
  // that over i..i+1, so every sample needs a full second on either side.
  std::vector<SecondSample> samples;
  const long n = static_cast<long>(r.size());
  const long rate = kRecordsPerSecond;
  for (long i = 1; (i + 1) * rate <= n - 1; ++i) {
    SecondSample s{0.0, 0.0, 0.0, 0.0};
    for (long p = rate * i - 2; p <= rate * i + 2; ++p) {
      s.speedMph += r[p].speedMph / rate;
      s.windMph += r[p].windMph / rate;
      s.yawDeg += r[p].yawDeg / rate;
    }
    double before = 0.0;
    double after = 0.0;
    for (long k = 0; k <= rate; ++k) {
      const double w = (k == 0 || k == rate) ? 0.5 : 1.0;
      before += w * r[(i - 1) * rate + k].speedMph / rate;
      after += w * r[i * rate + k].speedMph / rate;
    }
    s.decelMphPerS = before - after;
    samples.push_back(s);
  }
  return samples;
}

double ZeroRunMeanYaw(const std::vector<Run>& runs) {
  double sum = 0.0;
  long count = 0;
  for (const Run& run : runs) {
    if (run.kind != RunKind::Zero) continue;
    for (const SecondSample& s : OneSecondSamples(run.records)) {
      sum += s.yawDeg;
      ++count;
    }
  }
  return count == 0 ? 0.0 : sum / static_cast<double>(count);
}

std::string WriteTestFolder(const SimConfig& config) {
  namespace fs = std::filesystem;
  // Simulate first: a coastdown that never ends must not leave a half
  // written folder behind.
  const std::vector<Run> runs = TestDrive(config).DriveAll();

  std::error_code error;
  fs::create_directories(config.outDir, error);
  if (error) throw std::runtime_error("cannot create " + config.outDir + ": " + error.message());
  if (!fs::is_directory(config.outDir)) throw std::runtime_error(config.outDir + " is not a folder");
  RemoveRunFiles(config.outDir);

  const fs::path folder(config.outDir);
  for (const Run& run : runs) {
    const std::string name = std::string(RunSetName(run.kind)) + "." + std::to_string(run.number);
    WriteFileExactly((folder / name).string(), RunFileText(run.records));
  }

  std::string truth = TruthFileText(config, ComputeTruth(config));
  if (config.runs.zeroRuns > 0) {
    // The calibration then only has to find what the ZERO runs missed.
    const double zero = ZeroRunMeanYaw(runs);
    truth += "#\r\n# Mean yaw of the ZERO runs (the yaw offset coastdown subtracts): " + FormatFixed(zero, 6) +
             " deg\r\n# so the calibration's Yaw Offset should come out near " +
             FormatFixed(config.anemometer.misalignDeg - zero, 6) + " deg\r\n";
  }
  WriteFileExactly((folder / "truth.txt").string(), truth);

  const std::string arguments = CoastdownArguments(config);
  WriteFileExactly((folder / "COMMAND").string(), arguments + "\n");
  return arguments;
}

}  // namespace sim
