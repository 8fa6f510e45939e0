// Both windows under a light and a dark palette: every control, and the
// parts drawn straight on the window (the options' rings, the frame and its
// caption, the title's box), stand out from the window's colour.

#include <QLabel>
#include <QRadioButton>
#include <QSettings>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QtTest>
#include <cmath>

#include "tests/ui/qt/window_harness.h"
#include "ui/qt/frame.h"

using namespace dustvane;
using namespace dustvane::testing;

namespace {

// The dark palette of dark_palette.conf, a colour scheme of qt6ct: for each
// colour group a list of colours, one for each role in QPalette's order.
QPalette DarkPalette() {
  const QSettings scheme(QStringLiteral(DUSTVANE_DARK_PALETTE), QSettings::IniFormat);
  const std::pair<QPalette::ColorGroup, const char*> groups[] = {{QPalette::Active, "ColorScheme/active_colors"},
                                                                 {QPalette::Inactive, "ColorScheme/inactive_colors"},
                                                                 {QPalette::Disabled, "ColorScheme/disabled_colors"}};
  QPalette palette;
  for (auto [group, key] : groups) {
    const QStringList colours = scheme.value(QLatin1String(key)).toStringList();
    if (colours.size() != QPalette::NColorRoles) qFatal("%s: %s has not one colour a role", DUSTVANE_DARK_PALETTE, key);
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
      palette.setColor(group, static_cast<QPalette::ColorRole>(role), QColor(colours[role].trimmed()));
    }
  }
  return palette;
}

double Luminance(QRgb c) {
  const auto channel = [](int v) {
    const double s = v / 255.0;
    return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
}

double Contrast(QRgb a, QRgb b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The strongest contrast to the window's own colour within `area` of the picture.
double MostContrast(const QImage& shot, const QRect& area, QRgb background) {
  double most = 1;
  const QRect inside = area.intersected(shot.rect());
  for (int y = inside.top(); y <= inside.bottom(); ++y) {
    for (int x = inside.left(); x <= inside.right(); ++x) most = std::max(most, Contrast(shot.pixel(x, y), background));
  }
  return most;
}

QRect InWindow(QWidget& window, const QWidget& control, const QRect& rect) {
  return QRect(control.mapTo(&window, rect.topLeft()), rect.size());
}

// What does not stand out from the window as it is drawn now, each as "name:
// contrast"; a part stands out at a contrast of 3:1 to the window's colour,
// text at 4.5:1.
QStringList WhatFadesIn(Harness& h) {
  QStringList faded;
  const QRgb background = QApplication::palette().color(QPalette::Window).rgb();
  const auto check = [&](const QString& what, const QImage& shot, const QRect& area, double least) {
    const double contrast = MostContrast(shot, area, background);
    if (contrast < least) faded << QStringLiteral("%1: %2").arg(what).arg(contrast, 0, 'f', 2);
  };
  for (QWidget* window : {static_cast<QWidget*>(&h.Main()), static_cast<QWidget*>(&h.Found())}) {
    const QImage shot = window->grab().toImage();
    for (QWidget* control : window->findChildren<QWidget*>()) {
      // Qt's own inner parts are named "qt_..." or not at all; a disabled
      // control is meant to fade.
      if (control->objectName().isEmpty() || control->objectName().startsWith("qt_")) continue;
      if (!control->isVisible() || !control->isEnabled()) continue;
      check(control->objectName(), shot, InWindow(*window, *control, control->rect()), 3);
      if (auto* option = qobject_cast<QRadioButton*>(control)) {
        QStyleOptionButton look;
        look.initFrom(option);
        const QRect ring = option->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &look, option);
        check(option->objectName() + " indicator", shot, InWindow(*window, *option, ring), 3);
      }
    }
  }
  QtMainWindow& main = h.Main();
  const QImage shot = main.grab().toImage();
  auto* frame = h.Control<QtFrame>(main, "frmeSearchDrives");
  const int below = frame->CaptionRect().bottom() + 1;
  check("frame line", shot, InWindow(main, *frame, QRect(0, below, 2, frame->height() - below - 2)), 3);
  const QRect caption = frame->CaptionRect();
  check("frame caption", shot, InWindow(main, *frame, caption.adjusted(0, 0, 0, -caption.height() / 2)), 4.5);
  auto* title = h.Control<QLabel>(main, "lblTitle");
  check("title box", shot, InWindow(main, *title, QRect(0, 0, 2, title->height())), 3);
  return faded;
}

}  // namespace

class PaletteTest : public QObject {
  Q_OBJECT

 private slots:
  // A light palette, then a dark one taken on while the windows are open, as
  // a desktop switching to its dark theme does.
  void everyControlStandsOutUnderALightAndADarkPalette() {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(QApplication::style()->standardPalette());
    Harness h;
    h.MakeFile("a.tmp", 1);
    ShowActive(h.Main());
    h.Click(h.Main(), "cmdSearch");
    h.TickByHand(1);
    ShowActive(h.Found());
    for (const QPalette& palette : {QApplication::style()->standardPalette(), DarkPalette()}) {
      QApplication::setPalette(palette);
      QApplication::processEvents();
      const QStringList faded = WhatFadesIn(h);
      QVERIFY2(faded.isEmpty(), qPrintable(faded.join(QStringLiteral(", "))));
      // The summary line is part of the window, not a box.
      auto* summary = h.Control<QWidget>(h.Found(), "txtSizeSummary");
      const QImage line = summary->grab().toImage();
      QCOMPARE(QColor(line.pixel(line.width() - 2, line.height() / 2)), palette.color(QPalette::Window));
    }
  }
};

QTEST_MAIN(PaletteTest)
#include "palette_test.moc"
