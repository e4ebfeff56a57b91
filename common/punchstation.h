#pragma once
// The controls the two punch windows share (the server's clock window and the terminal): the
// running date and time, the picture, the ID box and the two result lines.

class QGroupBox;
class QString;
class QLabel;
class QLineEdit;
class QPushButton;
class QRect;
class QWidget;

namespace zarvo {

struct PunchStation {
    QLabel *dateTime = nullptr; ///< Label1
    QLabel *picture = nullptr;  ///< Picture1
    QLineEdit *id = nullptr;    ///< Text1
    QGroupBox *frame = nullptr; ///< Frame1
    QLabel *name = nullptr;     ///< Label5, the name line
    QLabel *action = nullptr;   ///< Label6, the action line
    QLabel *hours = nullptr;    ///< Label7, the employee's hours under the result lines
};

/// How long the hours line stays: long enough to read, gone before the next employee looks.
inline constexpr int HoursLineShownMs = 10000;

/// The hours line's text from the two figures: "Today 3.75 h · This week 31.50 h".
QString hoursLine(const QString &today, const QString &week);

/// Shows `text` on the hours line, which clears itself after HoursLineShownMs; an empty text
/// clears it at once.
void showHoursLine(QLabel *line, const QString &text);

/// Lays the shared controls out on `window` (positions in twips): the date and time line starts
/// at `clockLeft`, the "Employee ID" caption at (`idLeft`, `idTop`) with the ID box below it.
PunchStation buildPunchStation(QWidget *window, int clockLeft, int idLeft, int idTop);

/// The window's close button "PushButton1" inside its frame "GroupBox1", with the close
/// picture and its tool tip; `frame` on the window and `button` inside the frame, in twips.
/// The caller connects it (and finds the frame as the button's parent).
QPushButton *buildCloseButton(QWidget *window, const QRect &frame, const QRect &button);

} // namespace zarvo
