#include "ui/search_texts.h"

#include "ui/path_text.h"

namespace dustvane {

QString CountText(int16_t fileCount) { return QString::number(fileCount); }

QString SizeSummary(const PathString& root, int64_t totalBytes, const QLocale& locale) {
  // Grouping is wanted even where the locale leaves it out by default (the C
  // locale does).
  QLocale grouped = locale;
  grouped.setNumberOptions(grouped.numberOptions() & ~QLocale::OmitGroupSeparator);
  return QStringLiteral("Size of files found under ") + DisplayPath(root) + QStringLiteral(" = ") +
         grouped.toString(static_cast<qlonglong>(totalBytes)) + QStringLiteral(" Bytes");
}

}  // namespace dustvane
