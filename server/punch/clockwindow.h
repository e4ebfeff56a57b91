#pragma once
// The clock window: the punch station on the server machine itself.
//
// (Kept out of a file named clock.h: that name already belongs to the program's time seam,
// which the punch rule beside this file includes.)

#include "consolewindow.h"
#include "database.h"
#include "punchrule.h"
#include <QDateTime>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

/// Running date and time, an ID box and the last punch's name and action lines.
class Clock : public ConsoleWindow {
    Q_OBJECT
public:
    explicit Clock(QWidget *parent = nullptr);
    bool load() override;
    void activated() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void tick();
    /// Enter in Text1: find the employee in the snapshot, record the punch, show the outcome.
    void punch();
    /// The employee's hours today and this week under the result lines (none on a full day).
    void showHours(const QString &id, zarvo::PunchOutcome outcome);

    QLabel *m_dateTime;
    QLineEdit *m_id;
    QLabel *m_name;
    QLabel *m_action;
    QLabel *m_hours;
    QGroupBox *m_closeFrame;
    QPushButton *m_close;
    QTimer *m_timer;
    /// Employees as they were when the window opened; never refreshed while it stays open.
    zarvo::RecordSet m_employees;
};
