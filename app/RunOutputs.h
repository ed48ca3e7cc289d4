// What a run writes besides its report, as the options ask: the record of
// the analysis as JSON, its samples as CSV and its HTML page, and the
// warnings on standard error.
#pragma once

#include <string>
#include <vector>

#include "app/ProgramOptions.h"
#include "record/AnalysisRecord.h"

// The record's head: program version, date, the argument text and its fields.
void StartRecord(record::AnalysisRecord& record, const std::string& argumentText,
                 const std::vector<std::string>& fields, const ProgramOptions& options);

// "coastdown: warning: …" lines for the record's warnings, unless --quiet.
void PrintWarnings(const record::AnalysisRecord& record, const ProgramOptions& options);

// Refuses, before anything is read or written, outputs that would not be
// files of their own: a FILE that is a folder, device, FIFO or socket
// (error 75), one whose folder does not exist (76), a run file or the
// report of `testFolder`, two outputs to one file or to standard output
// (5). The error's detail names the option and its FILE.
void CheckOutputTargets(const ProgramOptions& options, const std::string& testFolder);

// Writes each output the options name, whole or not at all; "-" is standard
// output. A file that cannot be written raises the file errors.
void WriteRequestedOutputs(const record::AnalysisRecord& record, const ProgramOptions& options);

// Whether a check of the analysis failed.
bool AnyCheckFailed(const record::AnalysisRecord& record);
