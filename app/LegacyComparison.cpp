// The specified analysis beside another method.
#include "app/LegacyComparison.h"

#include <cmath>
#include <optional>

#include "app/SAEAppWrapper.h"
#include "common/RuntimeError.h"
#include "common/UnitFactors.h"
#include "record/MethodResults.h"
#include "record/Recorder.h"

void AddLegacyComparison(record::AnalysisRecord& record, const std::vector<std::string>& fields,
                         const ProgramOptions& options) {
  const double rate = options.methods.rateHz;
  if (rate != std::round(rate) || rate > 1000.0) {
    record.legacyComparison.ran = true;
    record.legacyComparison.why = "the legacy analysis forms one-second samples from a whole number of records";
    return;
  }
  record::AnalysisRecord legacy;
  legacy.fields = fields;
  record::Recorder recorder(legacy);
  std::optional<RuntimeError> failure;
  try {
    SAEAppWrapper app;
    app.SetParams(fields);
    if (options.methods.si) UseSiUnits(UnitFactors());
    app.SaveSAEOutput = false;  // the report is the method's
    app.SampleRate = static_cast<int>(rate);
    app.Observe(&recorder);
    app.Process();
  } catch (const RuntimeError& error) {
    failure = error;
  }
  recorder.Finish(failure ? &*failure : nullptr);
  record::CompareWithLegacy(record, legacy);
}
