// The generator's own pseudo-random source: splitmix64, so that a seed gives
// the same city on every platform and standard library.
#pragma once

#include <cstdint>
#include <vector>

namespace tikhomap::citygen {

struct CityRandom {
  uint64_t state = 0;

  explicit CityRandom(uint64_t seed) : state(seed) {}

  uint64_t next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // A generator of its own for one part of the city, so that changing how
  // much one part draws does not reshuffle the others.
  CityRandom fork(uint64_t salt) {
    CityRandom other(next() ^ (salt * 0xD1B54A32D192ED03ull));
    other.next();
    return other;
  }
  double unit() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
  double uniform(double lo, double hi) { return lo + (hi - lo) * unit(); }
  // Whole number in [lo, hi].
  int range(int lo, int hi) {
    if (hi <= lo) return lo;
    return lo + static_cast<int>(next() % static_cast<uint64_t>(hi - lo + 1));
  }
  bool chance(double p) { return unit() < p; }
  template <typename T>
  const T& pick(const std::vector<T>& items) {
    return items[static_cast<size_t>(next() % items.size())];
  }
};

}  // namespace tikhomap::citygen
