#include "ui/search_texts.h"

#include "ui/path_text.h"

namespace dustvane {

std::string CountText(int16_t fileCount) { return std::to_string(fileCount); }

std::string GroupedDigits(ByteTotal total, const std::string& thousandsSeparator) {
  const std::string digits = DecimalDigits(total);
  std::string grouped;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += thousandsSeparator;
    grouped += digits[i];
  }
  return grouped;
}

std::string SizeSummary(const PathString& root, ByteTotal total, const std::string& thousandsSeparator) {
  return "Size of files found under " + DisplayPath(root) + " = " + GroupedDigits(total, thousandsSeparator) +
         " Bytes";
}

}  // namespace dustvane
