// What the importer read, kept and cut, run by run, as SUMMARY.txt holds
// it and standard output shows it: so that whoever analyses the folder can
// trace every run file back to the lines of the logger file it came from.
#pragma once

#include <string>

#include "Importer.h"
#include "Options.h"

namespace importer {

std::string SummaryText(const Options& options, const ImportResult& result);

}  // namespace importer
