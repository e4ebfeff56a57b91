#pragma once
// The controls the two punch windows share (the server's clock window and the terminal): the
// running date and time, the picture, the ID box and the two result lines.

class QGroupBox;
class QLabel;
class QLineEdit;
class QWidget;

namespace zarvo {

struct PunchStation {
    QLabel *dateTime = nullptr; ///< Label1
    QLabel *picture = nullptr;  ///< Picture1
    QLineEdit *id = nullptr;    ///< Text1
    QGroupBox *frame = nullptr; ///< Frame1
    QLabel *name = nullptr;     ///< Label5, the name line
    QLabel *action = nullptr;   ///< Label6, the action line
};

/// Lays the shared controls out on `window` (positions in twips): the date and time line starts
/// at `clockLeft`, the "Employee ID" caption at (`idLeft`, `idTop`) with the ID box below it.
PunchStation buildPunchStation(QWidget *window, int clockLeft, int idLeft, int idTop);

} // namespace zarvo
