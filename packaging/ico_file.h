#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>

namespace dustvane {

// A Windows icon file (.ico) holding the images given, each as a 32-bit
// bitmap with its alpha channel and a 1-bit mask (set where a pixel is fully
// transparent), the form every Windows version and resource compiler reads;
// a 256-pixel image as PNG, the form Windows Vista and later read at that
// size. Images must be square and at most 256 pixels wide.
QByteArray IcoFile(const QList<QImage>& images);

}  // namespace dustvane
