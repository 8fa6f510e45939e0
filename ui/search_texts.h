#pragma once

#include <QLocale>
#include <QString>
#include <cstdint>

#include "search/byte_total.h"
#include "search/path_string.h"

namespace dustvane {

// The number of files found, in plain decimal digits.
QString CountText(int16_t fileCount);

// "Size of files found under <root> = <total> Bytes", the total grouped in
// threes with the locale's thousands separator. Every digit of the total is
// written, so a sum of any size reads exactly.
QString SizeSummary(const PathString& root, ByteTotal totalBytes, const QLocale& locale = QLocale());

}  // namespace dustvane
