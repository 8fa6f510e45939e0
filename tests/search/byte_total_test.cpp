// The byte total: carries between its halves and writes every digit.

#include <gtest/gtest.h>

#include "search/byte_total.h"

namespace dustvane {
namespace {

constexpr uint64_t kAllOnes = ~uint64_t{0};

TEST(ByteTotalTest, SumCarriesIntoTheHighHalfAndIsWrittenExactly) {
  EXPECT_EQ(DecimalDigits(ByteTotal()), "0");

  ByteTotal total(kAllOnes);
  total += 1;
  EXPECT_EQ(total.High(), 1u);
  EXPECT_EQ(total.Low(), 0u);
  EXPECT_EQ(DecimalDigits(total), "18446744073709551616");  // 2^64

  // Two files just below 2^63 bytes each, the most a signed length can say:
  // their sum is past what a signed 64-bit total could hold.
  const uint64_t largest = (uint64_t{1} << 63) - 1;
  EXPECT_EQ(DecimalDigits(ByteTotal(largest) + largest), "18446744073709551614");

  ByteTotal full(kAllOnes);
  for (int i = 0; i < 3; ++i) full += full;  // 8 * (2^64 - 1)
  EXPECT_EQ(full.High(), 7u);
  EXPECT_EQ(DecimalDigits(full), "147573952589676412920");
}

}  // namespace
}  // namespace dustvane
