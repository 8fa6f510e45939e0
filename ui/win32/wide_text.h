#pragma once

#include <string>
#include <string_view>

namespace dustvane::win32 {

// The windows speak UTF-16; the program's own texts are UTF-8. Invalid input
// never throws: the system converter puts U+FFFD in its place.
std::wstring Utf8ToWide(std::string_view text);

}  // namespace dustvane::win32
