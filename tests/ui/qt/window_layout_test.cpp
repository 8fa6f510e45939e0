// Both Qt windows as their descriptions give them.

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include "tests/ui/qt/window_harness.h"
#include "tests/ui/window_layout_check.h"
#include "ui/found_window_description.h"
#include "ui/main_window_description.h"

using namespace dustvane;
using namespace dustvane::testing;

namespace {

QString Qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

class QtBuiltWindow final : public BuiltWindow {
 public:
  explicit QtBuiltWindow(QWidget& window) : window_(window) {}
  std::string Caption() override { return window_.windowTitle().toStdString(); }
  PixelRect ClientArea() override { return {0, 0, window_.width(), window_.height()}; }
  std::optional<PixelRect> Place(std::string_view control) override {
    const QWidget* widget = window_.findChild<QWidget*>(Qs(control));
    if (!widget) return std::nullopt;
    const QPoint at = widget->mapTo(&window_, QPoint(0, 0));
    return PixelRect{at.x(), at.y(), widget->width(), widget->height()};
  }
  std::string CaptionOf(std::string_view control) override {
    const QObject* widget = window_.findChild<QWidget*>(Qs(control));
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) return button->text().toStdString();
    if (const auto* label = qobject_cast<const QLabel*>(widget)) return label->text().toStdString();
    if (const auto* frame = qobject_cast<const QGroupBox*>(widget)) return frame->title().toStdString();
    if (const auto* box = qobject_cast<const QLineEdit*>(widget)) return box->text().toStdString();
    return "(no caption)";
  }
  std::optional<std::vector<std::string>> TabOrder() override {
    std::vector<std::string> names;
    for (QWidget* w = window_.nextInFocusChain(); w && w != &window_; w = w->nextInFocusChain()) {
      const QString name = w->objectName();
      if (window_.isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && !name.isEmpty() && !name.startsWith("qt_")) {
        names.push_back(name.toStdString());
      }
    }
    return names;
  }

 private:
  QWidget& window_;
};

}  // namespace

class WindowLayoutTest : public QObject {
  Q_OBJECT

 private slots:
  void bothWindowsAreBuiltAsDescribed() {
    Harness h;
    const std::pair<QWidget*, const WindowDescription*> windows[] = {{&h.Main(), &kMainWindowDescription},
                                                                      {&h.Found(), &kFoundWindowDescription}};
    for (auto [window, description] : windows) {
      QtBuiltWindow built(*window);
      const std::vector<std::string> mismatches = LayoutMismatches(*description, built);
      for (const std::string& mismatch : mismatches) qWarning("%s", mismatch.c_str());
      QVERIFY(mismatches.empty());
    }
  }
};

QTEST_MAIN(WindowLayoutTest)
#include "window_layout_test.moc"
