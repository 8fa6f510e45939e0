#pragma once

#include <cstdint>
#include <string>

#include "search/byte_total.h"
#include "search/path_string.h"

namespace dustvane {

// The number of files found, in plain decimal digits.
std::string CountText(int16_t fileCount);

// A total in decimal digits grouped in threes from the right, joined by the
// locale's thousands separator ("1,234,567" with a comma).
std::string GroupedDigits(ByteTotal total, const std::string& thousandsSeparator);

// "Size of files found under <root> = <total> Bytes", the total grouped in
// threes. Every digit of the total is written, so a sum beyond
// 2,147,483,647 bytes reads exactly.
std::string SizeSummary(const PathString& root, ByteTotal total, const std::string& thousandsSeparator);

}  // namespace dustvane
