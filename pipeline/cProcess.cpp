// The run pipeline.
#include "pipeline/cProcess.h"

#include "app/SAEAppWrapper.h"

void cProcess::RunProcess(SAEAppWrapper& wrapper) {
  wrapper_ = &wrapper;
  wrapper_ = nullptr;
}
