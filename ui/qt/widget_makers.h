#pragma once

#include <QRect>
#include <QString>
#include <Qt>

class QLabel;
class QWidget;

namespace dustvane {

class QtButton;
class QtOption;

// A fixed-size top-level window of the program, with its name, caption,
// title-bar buttons, icon and font.
void SetUpWindow(QWidget& window, const char* name, const QString& caption, QSize clientSize,
                 Qt::WindowFlags titleBarButtons);

// Controls placed where the layout puts them. Buttons never act as a default
// or cancel button: Enter and Esc press nothing.
QtButton* MakeButton(QWidget* parent, const char* name, const QString& caption, QRect geometry);
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption, QRect geometry);
QtOption* MakeOption(QWidget* parent, const char* name, const QString& caption, QRect geometry);

}  // namespace dustvane
