// Reading and reducing one run file: the cost must grow linearly with the
// file and stay well above 200 MB/s of run-file text.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "calibration/CVelkCal.h"
#include "common/Platform.h"
#include "common/UnitFactors.h"
#include "data/CDataCol.h"

namespace {


std::string WriteRunFile(long records) {
  std::string dir = (std::filesystem::temp_directory_path() / ("coastdown_bench_" + std::to_string(records))).string();
  std::filesystem::create_directories(dir);
  std::FILE* f = std::fopen((dir + "/DATA.1").c_str(), "wb");
  for (long i = 0; i < records; ++i) {
    const double t = static_cast<double>(i) / 5.0;
    std::fprintf(f, "%.4f,%.4f,%.3f\r\n", 75.0 - 0.05 * t, 77.0 - 0.05 * t, -2.0 + 0.001 * static_cast<double>(i % 97));
  }
  std::fclose(f);
  return dir;
}

void BM_LoadRunFile(benchmark::State& state) {
  KeepFreedMemoryForReuse();  // as the program does at its start
  UnitFactors().SpeedFactor = 0.44704;
  const std::string dir = WriteRunFile(state.range(0));
  const auto bytes = static_cast<std::int64_t>(std::filesystem::file_size(dir + "/DATA.1"));
  CVelkCal cal;  // uncalibrated: the readings pass unchanged, as for the zero runs
  for (auto _ : state) {
    CDataCol data;
    data.Load(dir + "/DATA", cal, 0.0);
    benchmark::DoNotOptimize(data.Count());
  }
  state.SetBytesProcessed(state.iterations() * bytes);
  state.SetComplexityN(state.range(0));
  std::filesystem::remove_all(dir);
}

BENCHMARK(BM_LoadRunFile)->Arg(1000)->Arg(32767)->Complexity(benchmark::oN);

}  // namespace
