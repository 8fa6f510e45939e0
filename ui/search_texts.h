#pragma once

#include <QLocale>
#include <QString>
#include <cstdint>

#include "search/path_string.h"

namespace dustvane {

// The number of files found, in plain decimal digits.
QString CountText(int16_t fileCount);

// "Size of files found under <root> = <total> Bytes", the total grouped in
// threes with the locale's thousands separator. The whole 64-bit total is
// written, so a sum beyond 2,147,483,647 bytes reads exactly.
QString SizeSummary(const PathString& root, int64_t totalBytes, const QLocale& locale = QLocale());

}  // namespace dustvane
