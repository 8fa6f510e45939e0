#pragma once

#include <string>
#include <string_view>

namespace dustvane {

// Windows speaks UTF-16; the program's own texts are UTF-8. Both conversions
// are for text shown to the user, never for names, which keep their exact
// UTF-16 units (a lone surrogate has no UTF-8 form).

// UTF-8 for text shown to the user. A lone surrogate becomes U+FFFD.
std::string Utf8FromWide(std::wstring_view text);

// UTF-16 for the windows. Invalid UTF-8 never throws: the system converter
// puts U+FFFD in its place.
std::wstring WideFromUtf8(std::string_view text);

}  // namespace dustvane
