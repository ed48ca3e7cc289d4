// coastdown-sim: writes a synthetic coastdown test folder of known truth.
#include <iostream>
#include <string>
#include <vector>

#include "App.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return sim::RunSimulator(args, std::cout, std::cerr);
}
