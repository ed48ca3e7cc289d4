// The simulator's own random numbers: splitmix64 to spread a seed,
// xoshiro256** for the stream, Box-Muller for normal deviates. Written out
// here so that a seed gives the same test folder with any standard library.
#pragma once

#include <cstdint>

namespace sim {

// One step of splitmix64: advances `state` and returns the next output.
std::uint64_t SplitMix64(std::uint64_t& state);

class Random {
 public:
  // Independent streams of one seed: the stream number keeps, for example,
  // the noise of DATA.3 unchanged when the number of CAL runs changes.
  Random(std::uint64_t seed, std::uint64_t stream);
  // A generator started from a raw xoshiro256** state (not all zero).
  static Random FromState(std::uint64_t s0, std::uint64_t s1, std::uint64_t s2, std::uint64_t s3);

  std::uint64_t NextU64();
  // Uniform in (0, 1]; never 0, so its logarithm is finite.
  double Uniform();
  // Standard normal deviate.
  double Normal();

 private:
  Random() = default;
  std::uint64_t s_[4] = {0, 0, 0, 0};
  bool haveSpare_ = false;
  double spare_ = 0.0;
};

}  // namespace sim
