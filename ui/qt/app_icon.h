#pragma once

#include <QIcon>
#include <QImage>

namespace dustvane {

// The sizes the icon is drawn at, in pixels: those desktops look for. The
// 32-pixel one is the program's icon as designed; the others are drawn at
// their own size from the same design, never scaled from another size.
inline constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// The program's icon, drawn here at `size` pixels square: a red prohibition
// sign (a ring and a diagonal bar on a white disc) over the black lowercase
// letters "tmp", in the classic 16-colour palette with hard edges, plus
// transparency for the corners.
QImage AppIconImage(int size = 32);
// The icon at every size of kIconSizes.
QIcon AppIcon();

}  // namespace dustvane
