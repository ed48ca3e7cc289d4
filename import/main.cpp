// coastdown-import: turns data loggers' CSV exports into a coastdown test folder.
#include <iostream>
#include <string>
#include <vector>

#include "App.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return importer::RunImporter(args, std::cout, std::cerr);
}
