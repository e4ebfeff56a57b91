#pragma once
// The keyboard habits of the desktop the clerks know, given once to every window of both
// programs rather than window by window, so windows added later have them too.

#include <QList>

class QWidget;

namespace zarvo::Keyboard {

/// Makes `window` and every control in it, now or added later, answer the keyboard as on the
/// desktop the clerks know:
/// - Enter on a focused push or tool button presses it; no button becomes the window's default,
///   so Enter in a text box still does only what the window gives it to do;
/// - Tab and Shift+Tab leave grids, lists, multi-line boxes and date and time pickers for the
///   next control; in a picker Left and Right move between its sections, digits fill a section
///   (a separator typed after a section filled itself is not counted twice), a letter picks AM
///   or PM, and Alt+Down or F4 open a date picker's calendar;
/// - Up or Down in a list where nothing is selected selects the row the list stands on, and
///   Space (a tick, a selection) works on the first row when the list stands on none yet;
/// - Ctrl+PageDown and Ctrl+PageUp turn the pages of a tab control, the focus going along;
/// - Escape presses the window's "Cancel" button, where it has one;
/// - Ctrl+F4 (and the desktop's close-window key) closes the inner window holding the focus.
/// Controls in a window of their own (a message box, a calendar, a drop-down) are left alone.
void install(QWidget *window);

/// Sets the tab order of `controls` to the order given (the layout's, where creation differs).
void setTabOrder(const QList<QWidget *> &controls);

/// Where typing starts in `window`: its first control in tab order that takes input now (a box,
/// a picker, a list), else its first control that can take the focus at all; nullptr if none.
QWidget *firstInput(QWidget *window);

} // namespace zarvo::Keyboard
