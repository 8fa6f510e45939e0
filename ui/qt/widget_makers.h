#pragma once

#include <QRect>
#include <QString>
#include <Qt>

class QLabel;
class QPushButton;
class QRadioButton;
class QWidget;

namespace dustvane {

// A fixed-size top-level window of the program, with its name, caption,
// title-bar buttons, icon and font.
void SetUpWindow(QWidget& window, const char* name, const QString& caption, QSize clientSize,
                 Qt::WindowFlags titleBarButtons);

// Controls placed where the layout puts them. Buttons never act as a default
// or cancel button: Enter and Esc press nothing.
QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, QRect geometry);
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption, QRect geometry);
QRadioButton* MakeOption(QWidget* parent, const char* name, const QString& caption, QRect geometry);

}  // namespace dustvane
