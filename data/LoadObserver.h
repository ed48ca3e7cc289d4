// What loading a run-file set saw, for whoever keeps a record of the
// analysis: each file looked for, what it held and how it ended the set.
// Load only fills these facts; nothing it does depends on them.
#pragma once

#include <cstdint>
#include <string>

#include "common/Int16.h"
#include "data/RunFileReader.h"

class CDataCol;

struct RunFileFacts {
  std::string fileName;
  Int16 run;
  // How the file was found; an error while looking or reading leaves it as
  // it was, and the step that handles the error tells the rest.
  RunFileState state = RunFileState::Missing;
  std::uintmax_t bytes = 0;
  long samples = 0;  // one-second samples it gave the collection
  RunFileTextFacts text;
  // With `digest` asked for by the observer, the SHA-256 of the very bytes
  // the reader read, as hex; empty when the file could not be read whole.
  bool digest = false;
  std::string sha256;
};

class LoadObserver {
 public:
  virtual ~LoadObserver() = default;
  // Load is about to look for `fileName`, run `run` of the set; what it
  // finds goes into the facts returned, also when an error ends the reading.
  virtual RunFileFacts& OnRunFile(const std::string& fileName, Int16 run) = 0;
  // The records of the file just read, after the calibrator's correction and
  // before the reduction to one-second samples.
  virtual void OnRunRecords(const CDataCol& records) { static_cast<void>(records); }

 protected:
  LoadObserver() = default;
  LoadObserver(const LoadObserver&) = default;
  LoadObserver& operator=(const LoadObserver&) = default;
};
