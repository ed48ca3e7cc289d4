// Fuzzes the importer's parsers and what follows them: the text decoding,
// the table (separator, decimal mark, header, units row), the columns and
// units, the times, and on every recording read the splitting into runs,
// the trimming and the run-file records. Any input must end in a record
// series or an ImportError or UsageError; a series must have increasing
// times; runs must cover the recording once; a trim must lie inside its
// run; run-file records must be as many as the kept records fill and lie
// within the range of the readings they average.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "ImportError.h"
#include "Recording.h"
#include "Resampler.h"
#include "Splitter.h"
#include "TextDecoding.h"
#include "Trimmer.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void CheckRecords(const std::vector<importer::Sample>& s, std::size_t first, std::size_t last, double interval) {
  const std::vector<importer::RunRecord> records = importer::Resample(s, first, last, interval);
  double low = INFINITY;
  double high = -INFINITY;
  for (std::size_t i = first; i <= last + 1 && i < s.size(); ++i) {
    low = std::min(low, s[i].speed);
    high = std::max(high, s[i].speed);
  }
  for (const importer::RunRecord& r : records) {
    Check(std::isfinite(r.speed) && std::isfinite(r.wind) && std::isfinite(r.yaw));
    const double slack = 1e-9 * std::max(1.0, std::max(std::fabs(low), std::fabs(high)));
    Check(r.speed >= low - slack && r.speed <= high + slack);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  // The first byte chooses what the user gives: units, a separator, a
  // decimal mark, no header with columns by position, a fixed rate.
  const std::uint8_t choice = data[0];
  importer::ReadOptions options;
  if ((choice & 1) != 0) {
    options.speedUnit = importer::SpeedUnit::Kmh;
    options.windUnit = importer::SpeedUnit::Kmh;
  }
  if ((choice & 2) != 0) options.csv.separator = importer::Separator::Semicolon;
  if ((choice & 4) != 0) options.csv.decimal = importer::DecimalMark::Comma;
  if ((choice & 8) != 0) {
    options.csv.noHeader = true;
    options.columns = {"1", "2", "none", "none", "none"};
  }
  if ((choice & 16) != 0) {
    options.columns.time = "none";
    options.rate = 10;
  }
  const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  importer::Recording r;
  try {
    const importer::DecodedText text = importer::DecodeText(bytes, "f.csv");
    r = importer::ReadRecording("f.csv", text.text, text.encoding, options);
  } catch (const importer::ImportError&) {
    return 0;
  } catch (const importer::UsageError&) {
    return 0;
  }
  const std::vector<importer::Sample>& s = r.samples;
  Check(s.size() >= 2 && r.interval > 0.0);
  for (std::size_t i = 1; i < s.size(); ++i) Check(s[i].time > s[i - 1].time && s[i].line > s[i - 1].line);

  const std::vector<importer::Segment> segments = importer::SplitAtValleys(r, {});
  std::size_t next = 0;
  for (const importer::Segment& seg : segments) {
    Check(seg.first == next && seg.last >= seg.first && seg.last < s.size());
    next = seg.last + 1;
    std::vector<double> t;
    std::vector<double> v;
    for (std::size_t i = seg.first; i <= seg.last; ++i) {
      t.push_back(s[i].time);
      v.push_back(s[i].speed);
    }
    for (const bool coast : {true, false}) {
      const importer::Trim trim = coast ? importer::FindCoast(t, v, {}) : importer::FindSteady(t, v, {});
      if (!trim.found) continue;
      Check(trim.first <= trim.last && trim.last < t.size());
      CheckRecords(s, seg.first + trim.first, seg.first + trim.last, r.interval);
    }
  }
  Check(next == s.size());
  return 0;
}
