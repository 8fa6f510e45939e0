#include "ui/windows/user_locale.h"

#include <windows.h>

#include "search/win32/wide_text.h"

namespace dustvane {

std::string UserThousandsSeparator() {
  // The separator may be up to three characters long.
  wchar_t separator[4] = {};
  const int length = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_STHOUSAND, separator, 4);
  if (length <= 1) return ",";
  return Utf8FromWide(std::wstring_view(separator, static_cast<size_t>(length - 1)));
}

}  // namespace dustvane
