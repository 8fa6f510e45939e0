#pragma once

// frmMain as designed. None of its command numbers is IDOK (1) or IDCANCEL
// (2): Enter and Esc arrive on Windows as those and must press nothing.

#include <chrono>

#include "ui/window_description.h"

namespace dustvane {

inline constexpr ControlDescription kMainWindowControls[] = {
    {.name = "lblTitle", .kind = ControlKind::Title, .caption = "DUSTVANE", .place = {1080, 120, 3015, 975},
     .tabIndex = 1, .commandId = 100, .align = TextAlign::Centre},
    {.name = "frmeSearchDrives", .kind = ControlKind::Frame, .caption = "Search Drives...",
     .place = {360, 1440, 4335, 1095}, .tabIndex = 2, .commandId = 101},
    {.name = "optSearchAll", .kind = ControlKind::Option, .caption = "Local Hard Disk", .place = {120, 240, 1695, 255},
     .container = "frmeSearchDrives", .tabIndex = 3, .commandId = 102, .checked = true},
    {.name = "optDrive", .kind = ControlKind::Option, .caption = "Drive:", .place = {120, 480, 1095, 255},
     .container = "frmeSearchDrives", .tabIndex = 4, .commandId = 103},
    {.name = "optFolder", .kind = ControlKind::Option, .caption = "Folder", .place = {120, 720, 975, 195},
     .container = "frmeSearchDrives", .tabIndex = 7, .commandId = 104},
    // After the "Drive:" option, so that it lies over the option's end.
    {.name = "Drive1", .kind = ControlKind::DriveList, .place = {1200, 480, 3015, 315},
     .container = "frmeSearchDrives", .tabIndex = 5, .accessibleName = "Drive", .commandId = 105, .enabled = false},
    {.name = "cmdSearch", .kind = ControlKind::Button, .caption = "&Search For Temporary Files",
     .place = {1320, 2640, 2415, 375}, .tabIndex = 6, .commandId = 106},
    {.name = "ProgressBar1", .kind = ControlKind::ActivityBar, .place = {720, 3120, 3615, 255}, .tabIndex = 0,
     .accessibleName = "Search activity", .commandId = 107, .visible = false},
    {.name = "cmdExit", .kind = ControlKind::Button, .caption = "&Exit", .place = {4560, 3240, 615, 255},
     .tabIndex = 8, .commandId = 108},
};

inline constexpr WindowDescription kMainWindowDescription{
    .name = "frmMain",
    .caption = "Dustvane",
    .clientArea = {0, 0, 5205, 3525},
    .minimizable = true,
    .controls = kMainWindowControls,
};

// How often tmrAnimation ticks, from start-up on.
inline constexpr std::chrono::milliseconds kAnimationInterval{50};

}  // namespace dustvane
