#pragma once

#include <QFont>

namespace dustvane {

// The windows were laid out for a small 8-point system font; DejaVu Sans at
// 8 points fits every caption at the designed sizes.
QFont WindowFont();

// The title of the main window: bold 18 points, sans-serif.
QFont TitleFont();

}  // namespace dustvane
