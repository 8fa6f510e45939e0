#pragma once

#include <cstddef>
#include <cstdint>

namespace dustvane::bench {

// A small pseudo-random generator with a fixed algorithm, so that a tree made
// from the same seed is the same on every machine and with every compiler
// (the standard library's distributions are not portable in that way).
class SplitMix {
 public:
  explicit SplitMix(uint64_t seed) : state_(seed) {}

  uint64_t Next() {
    uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }

  // A number in [0, bound). The slight bias of the modulo does not matter
  // for the shape of a test tree; what matters is that it never varies.
  uint64_t Below(uint64_t bound) { return bound == 0 ? 0 : Next() % bound; }

  // True with a probability of `perTenThousand` / 10000.
  bool Chance(uint64_t perTenThousand) { return Below(10000) < perTenThousand; }

  template <class T, size_t N>
  const T& Pick(const T (&items)[N]) { return items[Below(N)]; }

 private:
  uint64_t state_;
};

}  // namespace dustvane::bench
