#pragma once
// Small layout helpers the windows share: twips (1/1440 inch) converted at the screen's
// logical DPI, and the windows' push buttons.

#include <QRect>
#include <QString>

class QPushButton;
class QWidget;

namespace zarvo {

int twips(int tw);
QRect twipsRect(int left, int top, int width, int height);
/// A push button of `parent` named `objectName` (the control's name), at least `minimumWidth`
/// pixels wide so that a row of them lines up.
QPushButton *makeButton(QWidget *parent, const char *objectName, const QString &caption, int minimumWidth = 90);

} // namespace zarvo
