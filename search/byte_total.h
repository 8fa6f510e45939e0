#pragma once

#include <cstdint>
#include <string>

namespace dustvane {

// The total size of the files a search lists. Each file's length is below
// 2^63 bytes and a walk lists far fewer than 2^64 files, so a 128-bit sum
// holds any total exactly and never wraps. Two 64-bit halves rather than a
// compiler's 128-bit integer, which 32-bit targets do not have.
class ByteTotal {
 public:
  constexpr ByteTotal() = default;
  constexpr ByteTotal(uint64_t bytes) : low_(bytes) {}  // NOLINT: implicit by design

  constexpr ByteTotal& operator+=(ByteTotal other) {
    low_ += other.low_;
    high_ += other.high_ + (low_ < other.low_ ? 1 : 0);
    return *this;
  }
  friend constexpr ByteTotal operator+(ByteTotal a, ByteTotal b) { return a += b; }
  friend constexpr bool operator==(ByteTotal a, ByteTotal b) = default;

  constexpr uint64_t High() const { return high_; }
  constexpr uint64_t Low() const { return low_; }

 private:
  uint64_t high_ = 0;
  uint64_t low_ = 0;
};

// The total in plain decimal digits ("0" for nothing), every digit exact.
std::string DecimalDigits(ByteTotal total);

}  // namespace dustvane
