#include "search/byte_total.h"

#include <algorithm>
#include <array>

namespace dustvane {

std::string DecimalDigits(ByteTotal total) {
  // Long division by 10 over 32-bit limbs, most significant first; the
  // remainder stays below 10, so each step fits in 64 bits.
  std::array<uint32_t, 4> limbs = {
      static_cast<uint32_t>(total.High() >> 32), static_cast<uint32_t>(total.High()),
      static_cast<uint32_t>(total.Low() >> 32), static_cast<uint32_t>(total.Low())};
  std::string digits;
  do {
    uint64_t remainder = 0;
    for (uint32_t& limb : limbs) {
      const uint64_t value = (remainder << 32) | limb;
      limb = static_cast<uint32_t>(value / 10);
      remainder = value % 10;
    }
    digits.push_back(static_cast<char>('0' + remainder));
  } while (limbs != std::array<uint32_t, 4>{});
  std::reverse(digits.begin(), digits.end());
  return digits;
}

}  // namespace dustvane
