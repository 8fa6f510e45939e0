#include "search/win32/win32_failure.h"

#include <windows.h>

#include "search/win32/wide_text.h"

namespace dustvane {

Failure Win32Failure(unsigned long errorNumber) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      errorNumber, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring_view message(text, length);
  while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' ')) {
    message.remove_suffix(1);
  }
  std::string description = message.empty() ? "Unknown error" : Utf8FromWide(message);
  if (text != nullptr) LocalFree(text);
  return {static_cast<int32_t>(errorNumber), std::move(description)};
}

}  // namespace dustvane
