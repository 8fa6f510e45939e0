#include "ui/qt/tool_tip_text.h"

#include <QStringList>
#include <QTextLayout>

namespace dustvane {

QString ToolTipLines(const QString& text, const QFont& font, int width) {
  QTextLayout layout(text, font);
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  QStringList lines;
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(width);
    lines << text.mid(line.textStart(), line.textLength()).toHtmlEscaped();
  }
  layout.endLayout();
  // Rich text always, so that a name that looks like markup is shown as it
  // is; "pre" keeps runs of spaces and keeps the label from wrapping again.
  return QStringLiteral("<p style=\"white-space:pre\">") + lines.join(QStringLiteral("<br>")) +
         QStringLiteral("</p>");
}

}  // namespace dustvane
