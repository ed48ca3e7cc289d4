// Fuzzes the run-file reader and the reduction: any text either yields its
// records, or raises the error for a record cut short or a number too large;
// the reduction then yields floor((N - 1) / 5) - 1 samples, or none.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/RuntimeError.h"
#include "common/UnitFactors.h"
#include "data/CDataCol.h"
#include "data/RunFileReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  UnitFactors().SpeedFactor = 0.44704;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CDataCol raw;
  try {
    ForEachRunFileRecord(text, "DATA.1", [&](double a, double b, double c) {
      raw.Add(Real(a) * UnitFactors().SpeedFactor, Real(b) * UnitFactors().SpeedFactor, Real(c), 1);
    });
  } catch (const RuntimeError& e) {
    const ErrorNumber n = e.Number();
    if (n != ErrorNumber::InputPastEndOfFile && n != ErrorNumber::Overflow) std::abort();
    return 0;
  }
  CDataCol reduced;
  try {
    reduced.Reduce(1, raw, true);
  } catch (const RuntimeError& e) {
    // Sums of huge readings may overflow; nothing else may go wrong.
    if (e.Number() != ErrorNumber::Overflow) std::abort();
    return 0;
  }
  const long n = raw.Count();
  const long expected = n >= 11 ? (n - 1) / 5 - 1 : 0;
  if (reduced.Count() != expected) std::abort();
  return 0;
}
