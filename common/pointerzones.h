#pragma once
// Windows that switch to their own mouse pointer over some buttons and back to the default
// pointer over the frames around them.

#include <QList>

class QWidget;

namespace zarvo {

/// Over any of `buttons` the window shows the program's own pointer; over any of `frames`
/// (outside the buttons they hold) the default pointer; elsewhere the pointer stays as last set.
void installPointerZones(QWidget *window, const QList<QWidget *> &buttons, const QList<QWidget *> &frames);

} // namespace zarvo
