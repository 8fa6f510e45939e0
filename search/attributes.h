#pragma once

#include <cstdint>

namespace dustvane {

// Attribute bits of a file or folder, and the masks built from them.
using Attributes = uint32_t;

inline constexpr Attributes AttrReadOnly = 1;
inline constexpr Attributes AttrHidden = 2;
inline constexpr Attributes AttrSystem = 4;
inline constexpr Attributes AttrDirectory = 16;
inline constexpr Attributes AttrAll =
    AttrReadOnly | AttrHidden | AttrSystem | AttrDirectory;

// An entry passes an enumeration mask when each of its hidden, system and
// directory bits is also set in the mask; read-only never keeps it out.
inline constexpr Attributes kMaskFilteredBits = AttrHidden | AttrSystem | AttrDirectory;

inline constexpr bool PassesMask(Attributes entry, Attributes mask) {
  return (entry & kMaskFilteredBits & ~mask) == 0;
}

// The two masks the search uses.
inline constexpr Attributes kFoldersAndFilesMask = AttrDirectory | AttrHidden;       // 18
inline constexpr Attributes kAllFilesMask = AttrReadOnly | AttrHidden | AttrSystem;  // 7

}  // namespace dustvane
