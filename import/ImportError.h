// The two ways coastdown-import stops: a command line it cannot act on
// (exit status 2) and input or output it cannot turn into a test folder
// (exit status 1). Both carry the whole message the user reads.
#pragma once

#include <stdexcept>

namespace importer {

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ImportError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace importer
