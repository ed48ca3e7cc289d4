// Looking at the wind column before the calibrator does.
#include "pipeline/WindAsRead.h"

#include "data/CDataCol.h"
#include "data/CMeasurement.h"

void WindAsRead::CCalibrator_Adjust(CDataCol& data) {
  for (const CMeasurement& m : data) {
    if (m.nRun <= 0) continue;
    anyRecord_ = true;
    // Both columns went through the same number conversion, so a copy of
    // the speed is equal to the last bit.
    allZero_ = allZero_ && m.dWindSpeed.value() == 0.0;
    allSpeed_ = allSpeed_ && m.dWindSpeed.value() == m.dVehicleSpeed.value();
  }
  calibrator_.Adjust(data);
}
