#pragma once

#include <QFont>
#include <QString>

namespace dustvane {

// The rich text of a tooltip that shows `text` exactly, every character of it
// (no markup in it is taken as markup, no space is collapsed), broken into
// lines at most `width` pixels wide in `font`: at spaces and after
// separators where it can, anywhere in a word too long for a line. So a name
// of hundreds of characters without a space stays on the screen.
QString ToolTipLines(const QString& text, const QFont& font, int width);

}  // namespace dustvane
