#pragma once

#include <QIcon>
#include <QImage>

namespace dustvane {

// The program's 32 x 32 icon, drawn here: a red prohibition sign (a ring and
// a diagonal bar on a white disc) over the black lowercase letters "tmp", in
// the classic 16-colour palette plus transparency for the corners.
QImage AppIconImage();
QIcon AppIcon();

}  // namespace dustvane
