// Simulating a test and laying it out as a folder coastdown can read.
#include "TestFolder.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <stdexcept>

#include "Command.h"
#include "RunWriter.h"
#include "Truth.h"
#include "Units.h"

namespace sim {

namespace {

constexpr long kRate = kRecordsPerSecond;

// One-second samples a run of `records` records gives: every sample needs a
// full second of records on either side of its instant.
long SampleCount(long records) { return records >= 1 ? (records - 1) / kRate - 1 : 0; }

}  // namespace

std::vector<SecondSample> OneSecondSamples(const std::vector<Record>& r) {
  // Sample i is the mean of the five records centred on second i.
  std::vector<SecondSample> samples;
  const long rate = kRate;
  for (long i = 1; i <= SampleCount(static_cast<long>(r.size())); ++i) {
    SecondSample s{0.0, 0.0, 0.0};
    for (long p = rate * i - 2; p <= rate * i + 2; ++p) {
      s.speedMph += r[p].speedMph / rate;
      s.windMph += r[p].windMph / rate;
      s.yawDeg += r[p].yawDeg / rate;
    }
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

TestFacts FactsOf(const std::vector<Run>& runs) {
  TestFacts facts;
  double head = 0.0;
  double cross = 0.0;
  long count = 0;
  for (const Run& run : runs) {
    if (run.kind != RunKind::Data) continue;
    const double direction = HeadingOfRun(run.number);
    for (long i = 1; i <= SampleCount(static_cast<long>(run.truth.size())); ++i) {
      // The true wind at second i: the mean over the same five records the
      // analysis averages, in the frame of the odd runs.
      double sampleHead = 0.0;
      double sampleCross = 0.0;
      for (long p = kRate * i - 2; p <= kRate * i + 2; ++p) {
        const TrueState& s = run.truth[static_cast<std::size_t>(p)];
        const double yaw = s.air.yawDeg * (3.141592653589793 / 180.0);
        sampleHead += (s.air.speed * std::cos(yaw) - s.speed) * direction / kRate;
        sampleCross += s.air.speed * std::sin(yaw) * direction / kRate;
      }
      head += sampleHead;
      cross += sampleCross;
      facts.maxHeadMph = std::max(facts.maxHeadMph, std::fabs(MetresPerSecondToMph(sampleHead)));
      facts.maxCrossMph = std::max(facts.maxCrossMph, std::fabs(MetresPerSecondToMph(sampleCross)));
      ++count;
    }
  }
  if (count > 0) {
    facts.meanHeadMph = MetresPerSecondToMph(head / static_cast<double>(count));
    facts.meanCrossMph = MetresPerSecondToMph(cross / static_cast<double>(count));
  }
  bool anyZero = false;
  for (const Run& run : runs) anyZero = anyZero || run.kind == RunKind::Zero;
  if (anyZero) facts.zeroMeanYawDeg = ZeroRunMeanYaw(runs);
  return facts;
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

  WriteFileExactly((folder / "truth.txt").string(), TruthFileText(config, ComputeTruth(config), FactsOf(runs)));

  std::string arguments = CoastdownArguments(config);
  WriteFileExactly((folder / "COMMAND").string(), arguments + "\n");
  return arguments;
}

}  // namespace sim
