#pragma once

#include <string>
#include <string_view>

// Paths and entry names travel through the program exactly as the file system
// gave them: bytes on POSIX systems, UTF-16 code units on Windows. They are
// never decoded on the way, so a name that is not valid text is still found,
// listed and deleted exactly.

namespace dustvane {

#ifdef _WIN32
using PathChar = wchar_t;
#define DV_PATH(literal) L##literal
inline constexpr PathChar kSeparator = L'\\';
#else
using PathChar = char;
#define DV_PATH(literal) literal
inline constexpr PathChar kSeparator = '/';
#endif

using PathString = std::basic_string<PathChar>;
using PathView = std::basic_string_view<PathChar>;

}  // namespace dustvane
