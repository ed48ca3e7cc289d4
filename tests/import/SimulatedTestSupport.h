// The simulator's logger files imported as a user imports them: a test
// folder written by coastdown-sim with --untrimmed and --logger-csv, the
// same test written trimmed for comparison, coastdown-import run on the
// logger files, and coastdown on both folders.
#pragma once

#include <cmath>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "ImportTestSupport.h"

namespace importtest {

// The coastdown results that are compared with the truth.
inline const std::vector<std::string> kResults = {"Amech: ", "Bmech: ", "Ctotl: ", "Cd:    "};

struct SimulatedImport {
  // `test`: the simulator's options for the test; `logger`: those of its
  // logger files (with --untrimmed and --rate); `import`: the importer's
  // options besides the files.
  SimulatedImport(const std::string& test, const std::string& logger, std::vector<std::string> import)
      : own(test, "own"), untrimmed(test + " " + logger, "untrimmed") {
    EXPECT_EQ(own.Analyse({"--quiet"}).status, 0);
    const std::string folder = untrimmed.path + "/logger";
    std::vector<std::string> args = kConditions;
    args.insert(args.end(), {"--out", imported});
    args.insert(args.end(), import.begin(), import.end());
    if (std::filesystem::exists(folder + "/day.csv")) {
      args.insert(args.end(), {"--recording", folder + "/day.csv"});
    } else {
      for (const char* set : {"zero", "cal", "data"}) {
        std::vector<std::string> files;
        for (int n = 1;; ++n) {
          char name[32];
          std::snprintf(name, sizeof name, "/%s%02d.csv", set, n);
          if (!std::filesystem::exists(folder + name)) break;
          files.push_back(folder + name);
        }
        if (files.empty()) continue;
        args.push_back(std::string("--") + set);
        args.insert(args.end(), files.begin(), files.end());
      }
    }
    outcome = RunImport(args);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    if (outcome.status != 0) return;
    std::string command = testsupport::ReadFile(imported + "/COMMAND");
    command.pop_back();
    EXPECT_EQ(testsupport::Run(COASTDOWN_EXE, {"--quiet", command}).status, 0);
    // The imported folder's command is the simulator's but for the folder.
    EXPECT_EQ(command.substr(command.find(',')), own.arguments.substr(own.arguments.find(',')));
  }

  std::string ImportedReport() const { return testsupport::ReadFile(imported + "/VB6Output.txt"); }

  // How many records each run the importer kept starts and ends from the
  // coast (or steady run) truth.txt gives, in the logger's records.
  std::map<std::string, std::pair<long, long>> TrimErrors() const {
    std::map<std::string, std::pair<long, long>> errors;
    const std::string truth = untrimmed.Truth();
    const std::regex kept(R"(\n((?:ZERO|CAL|DATA)\.\d+) +\S+?([a-z]+\d*\.csv)(?: \(run \d+\))?, lines (\d+) to (\d+))");
    for (std::sregex_iterator it(outcome.out.begin(), outcome.out.end(), kept), end; it != end; ++it) {
      const std::string name = (*it)[1];
      const std::string file = (*it)[2];
      std::string key = file == "day.csv" ? "day.csv " + name : name;
      if (name.rfind("DATA", 0) == 0) key += " coast";
      const double first = testsupport::NumberAfter(truth, key + " first record: ");
      const double last = testsupport::NumberAfter(truth, key + " last record: ");
      if (std::isnan(first)) continue;  // the steady runs of a file a run: all of it
      // The header is the file's first line, record 1 its second.
      errors[name] = {std::stol((*it)[3]) - 1 - static_cast<long>(first), std::stol((*it)[4]) - 1 - static_cast<long>(last)};
    }
    return errors;
  }

  testsupport::SimulatedFolder own;        // the test as run files, trimmed
  testsupport::SimulatedFolder untrimmed;  // the same test as a logger records it
  testsupport::ScratchDir dir;
  std::string imported = dir / "imported";
  Outcome outcome;
};

}  // namespace importtest
