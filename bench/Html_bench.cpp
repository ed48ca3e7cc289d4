// The HTML page of a test, written from a record built by hand: a realistic
// test day of 20 DATA runs of 100 one-second samples (2000 samples, every
// kind of rejected one among them), and growing numbers of runs to show the
// cost stays linear in the samples. The page size is reported beside the
// time, since both must stay small next to the analysis itself.
#include <benchmark/benchmark.h>

#include <string>

#include "html/Page.h"
#include "tests/record/HandBuiltRecord.h"

namespace {

void BM_HtmlPage(benchmark::State& state) {
  const record::AnalysisRecord record = handbuilt::Test(static_cast<int>(state.range(0)), 100);
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string page = html::HtmlPage(record, "");
    bytes = page.size();
    benchmark::DoNotOptimize(page.data());
  }
  state.counters["page_kB"] = static_cast<double>(bytes) / 1000.0;
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(record.samples.size()));
}
BENCHMARK(BM_HtmlPage)->Arg(20)->Arg(5)->Arg(80)->Unit(benchmark::kMillisecond);

}  // namespace
