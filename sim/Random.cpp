// splitmix64, xoshiro256** and the Box-Muller transform.
#include "Random.h"

#include <cmath>

#include "Units.h"

namespace sim {

namespace {

std::uint64_t RotateLeft(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

}  // namespace

std::uint64_t SplitMix64(std::uint64_t& state) {
  state += 0x9E3779B97F4A7C15ULL;
  std::uint64_t z = state;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

Random::Random(std::uint64_t seed, std::uint64_t stream) {
  // Mix the stream in through its own splitmix output so that neighbouring
  // seeds and neighbouring streams do not start from related states.
  std::uint64_t streamState = stream;
  std::uint64_t state = seed ^ SplitMix64(streamState);
  for (std::uint64_t& word : s_) word = SplitMix64(state);
}

Random Random::FromState(std::uint64_t s0, std::uint64_t s1, std::uint64_t s2, std::uint64_t s3) {
  Random r;
  r.s_[0] = s0;
  r.s_[1] = s1;
  r.s_[2] = s2;
  r.s_[3] = s3;
  return r;
}

std::uint64_t Random::NextU64() {
  const std::uint64_t result = RotateLeft(s_[1] * 5, 7) * 9;
  const std::uint64_t t = s_[1] << 17;
  s_[2] ^= s_[0];
  s_[3] ^= s_[1];
  s_[1] ^= s_[2];
  s_[0] ^= s_[3];
  s_[2] ^= t;
  s_[3] = RotateLeft(s_[3], 45);
  return result;
}

double Random::Uniform() { return (static_cast<double>(NextU64() >> 11) + 1.0) * 0x1.0p-53; }

double Random::Normal() {
  if (haveSpare_) {
    haveSpare_ = false;
    return spare_;
  }
  const double radius = std::sqrt(-2.0 * std::log(Uniform()));
  const double angle = 2.0 * kPi * Uniform();
  spare_ = radius * std::sin(angle);
  haveSpare_ = true;
  return radius * std::cos(angle);
}

}  // namespace sim
