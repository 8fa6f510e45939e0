#include "ui/search_texts.h"

#include "ui/path_text.h"

namespace dustvane {

QString CountText(int16_t fileCount) { return QString::number(fileCount); }

QString SizeSummary(const PathString& root, ByteTotal totalBytes, const QLocale& locale) {
  // The total can pass what any built-in integer holds, so the locale only
  // lends its group separator. Grouping is wanted even where the locale
  // leaves it out by default (the C locale does).
  const std::string digits = DecimalDigits(totalBytes);
  const QString separator = locale.groupSeparator();
  QString grouped;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += separator;
    grouped += QLatin1Char(digits[i]);
  }
  return QStringLiteral("Size of files found under ") + DisplayPath(root) + QStringLiteral(" = ") + grouped +
         QStringLiteral(" Bytes");
}

}  // namespace dustvane
