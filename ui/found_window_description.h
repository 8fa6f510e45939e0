#pragma once

// frmFound as designed, with one row more than its designed 6720 x 5040
// twips: txtSizeSummary, a line along the bottom for the size summary of a
// local-disk search, which none of the designed controls is meant to hold.
// None of its command numbers is IDOK (1) or IDCANCEL (2): see
// main_window_description.h.

#include "ui/window_description.h"

namespace dustvane {

inline constexpr ControlDescription kFoundWindowControls[] = {
    {.name = "List1", .kind = ControlKind::ResultsList, .place = {120, 120, 6495, 4350}, .tabIndex = 0,
     .accessibleName = "Files found", .commandId = 200},
    {.name = "lblFound", .kind = ControlKind::Label, .caption = "Found", .place = {120, 4560, 615, 255}, .tabIndex = 1,
     .commandId = 201, .align = TextAlign::Right},
    {.name = "Text3", .kind = ControlKind::TextBox, .place = {840, 4560, 735, 285}, .tabIndex = 2,
     .accessibleName = "Number of files found", .commandId = 202, .textColour = RgbColour{255, 0, 0}},
    {.name = "lblFiles", .kind = ControlKind::Label, .caption = "files", .place = {1680, 4560, 495, 255},
     .tabIndex = 3, .commandId = 203},
    {.name = "cmdDelete", .kind = ControlKind::Button, .caption = "&Delete", .place = {3360, 4560, 1215, 375},
     .tabIndex = 4, .commandId = 204},
    {.name = "cmdClose", .kind = ControlKind::Button, .caption = "&Close", .place = {5640, 4560, 975, 375},
     .tabIndex = 5, .commandId = 205},
    {.name = "txtSizeSummary", .kind = ControlKind::SummaryLine, .place = {120, 5040, 6495, 315}, .tabIndex = 6,
     .accessibleName = "Size of files found", .commandId = 206},
};

inline constexpr WindowDescription kFoundWindowDescription{
    .name = "frmFound",
    .caption = "Found",
    .clientArea = {0, 0, 6720, 5490},
    .minimizable = false,
    .controls = kFoundWindowControls,
};

}  // namespace dustvane
