#pragma once

#include <QByteArray>
#include <QString>

#include "search/path_string.h"

namespace dustvane {

// How a path is shown on screen. A path is bytes and need not be valid
// UTF-8, so the text shown must neither hide bytes nor let two different
// paths look alike:
//   - valid UTF-8 is shown as the characters it encodes;
//   - a byte that is not part of valid UTF-8, and every control byte
//     (0x00-0x1F, 0x7F), is shown as \xNN (two upper-case hex digits), so a
//     newline in a name shows as \x0A and never breaks the line;
//   - other invisible or line-breaking characters (C1 controls, format
//     characters such as bidi overrides, line and paragraph separators) are
//     shown as \u{NNNN};
//   - a backslash itself is shown doubled, "\\", so an escape and the same
//     characters typed literally into a name never display the same.
QString DisplayPath(const PathString& path);

// Exact conversions between the engine's paths and Qt's byte arrays, used to
// keep a path's bytes beside its displayed text.
QByteArray PathToBytes(const PathString& path);
PathString PathFromBytes(const QByteArray& bytes);

}  // namespace dustvane
