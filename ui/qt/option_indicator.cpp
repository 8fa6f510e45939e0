#include "ui/qt/option_indicator.h"

#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <cmath>

#include "ui/qt/outline_colour.h"

namespace dustvane {

namespace {

// The indicator leaves a pixel free above and below it in the smallest
// option, 13 pixels high.
constexpr qreal kIndicatorPixels = 11;

void DrawIndicator(QPainter& painter, const QRectF& ring, const QStyleOptionButton& option) {
  const QPalette::ColorGroup group = (option.state & QStyle::State_Enabled) ? QPalette::Active : QPalette::Disabled;
  const QPalette& palette = option.palette;
  QColor field = palette.color(group, QPalette::Base);
  if (option.state & QStyle::State_Sunken) field = Blend(field, palette.color(group, QPalette::Text), 0.15);

  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(QPen(OutlineColour(palette, group), 1));
  painter.setBrush(field);
  painter.drawEllipse(ring.adjusted(0.5, 0.5, -0.5, -0.5));
  if (option.state & QStyle::State_On) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette.color(group, QPalette::Text));
    painter.drawEllipse(ring.adjusted(3, 3, -3, -3));
  }
  painter.restore();
}

}  // namespace

QRectF IndicatorRing(const QRect& place) {
  // On whole pixels, so that the ring's line falls on pixels, not between.
  const QPointF centre = QRectF(place).center();
  return QRectF(std::floor(centre.x() - kIndicatorPixels / 2), std::floor(centre.y() - kIndicatorPixels / 2),
                kIndicatorPixels, kIndicatorPixels);
}

void PaintOptionButton(QRadioButton& button, const QStyleOptionButton& option) {
  // As Qt's common style paints an option: indicator, caption, focus frame.
  QStylePainter painter(&button);
  const QStyle& style = *button.style();

  DrawIndicator(painter, IndicatorRing(style.subElementRect(QStyle::SE_RadioButtonIndicator, &option, &button)),
                option);
  QStyleOptionButton caption = option;
  caption.rect = style.subElementRect(QStyle::SE_RadioButtonContents, &option, &button);
  painter.drawControl(QStyle::CE_RadioButtonLabel, caption);
  if (option.state & QStyle::State_HasFocus) {
    QStyleOptionFocusRect focus;
    focus.QStyleOption::operator=(option);
    focus.rect = style.subElementRect(QStyle::SE_RadioButtonFocusRect, &option, &button);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
  }
}

}  // namespace dustvane
