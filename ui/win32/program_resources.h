#pragma once

// Resource numbers shared by the resource script and the code.
#define DUSTVANE_ICON_ID 1

#ifdef __cplusplus
namespace dustvane {
constexpr int kProgramIconId = DUSTVANE_ICON_ID;
}  // namespace dustvane
#endif
