#pragma once
// Rows, windows and clicks for the timesheet window tests.

#include "addtime.h"
#include "serverlayout.h"
#include "timesheets.h"
#include "windowfixture.h"
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QTreeView>

namespace zarvo::test {

inline const QDate kToday(2026, 12, 9), kDay1(2026, 12, 7), kDay2(2026, 12, 8);
using ServerLayout::TimeSlots;

/// Appends a timesheet row: `times` are up to six time texts, an empty one left Null.
inline void addRow(DatabaseSession &db, const QString &id, const QDate &day, const QStringList &times = {})
{
    zarvo::test::addTimesheetRow(db, id, dayText(day), times);
}

/// Every timesheet row in table order as "id date in1 out1 in2 out2 in3 out3" (Null as "-").
inline QStringList allRows(DatabaseSession &db)
{
    RecordSet rs;
    rs.open(db, "Select * from timesheet");
    QStringList out;
    for (; !rs.eof(); rs.moveNext()) {
        QStringList parts{rs.text("emp_id"), rs.text("rsdate")};
        for (const char *slot : TimeSlots)
            parts << (rs.value(slot).isValid() ? rs.text(slot) : QStringLiteral("-"));
        out << parts.join(' ');
    }
    return out;
}

/// Clicks the middle of a list's row (press selects it, the release is the list's click).
inline void clickRow(QTreeView *list, int row)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(row, 0)).center());
}

/// Clicks a window's button; returns the title of the box it showed, if any.
inline QString press(QWidget *w, BoxRecorder &boxes, const QString &button)
{
    const auto before = boxes.boxes.size();
    QTest::mouseClick(ctl<QPushButton>(w, button), Qt::LeftButton);
    return boxes.boxes.size() > before ? boxes.last().title : QString();
}

/// "text|title|icon" of every box shown.
inline QStringList shownBoxes(const BoxRecorder &boxes)
{
    QStringList out;
    for (const MessageBox &b : boxes.boxes)
        out << QString("%1|%2|%3").arg(b.text, b.title).arg(int(b.icon));
    return out;
}

/// The editor's six pickers' times as "hh:mm:ss" joined by blanks, a blank picker as "-".
inline QString pickerTimes(AddTime *w)
{
    QStringList out;
    for (const char *name : {"In1", "Out1", "In2", "Out2", "In3", "Out3"}) {
        auto *picker = ctl<QTimeEdit>(w, name);
        out << (picker->text().trimmed().isEmpty() ? QStringLiteral("-") : picker->time().toString("hh:mm:ss"));
    }
    return out.join(' ');
}

/// Types into a time picker as the administrator does: Tab into it, then the keys (digits fill
/// a section and move on to the next; "<Up>" and
/// "<Down>" for the arrow keys), then Tab out of it.
inline void typeInto(QWidget *picker, QString keys)
{
    picker->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(picker->hasFocus());
    while (!keys.isEmpty()) {
        if (keys.startsWith("<Up>") || keys.startsWith("<Down>")) {
            QTest::keyClick(picker, keys.startsWith("<Up>") ? Qt::Key_Up : Qt::Key_Down);
            keys = keys.mid(keys.indexOf('>') + 1);
        } else {
            QTest::keyClick(picker, keys[0].toLatin1());
            keys = keys.mid(1);
        }
    }
    picker->clearFocus();
}

/// Opens the editor on a handed-over employee and day, as "Edit" in the browser does.
inline AddTime *openEditorOn(const QString &id, const QDate &day)
{
    Module1::instance().SelectedEmpID = id;
    Module1::instance().SelectedDay = day;
    return ShowInsideConsole<AddTime>();
}

/// The browser listing `id`'s rows between the two dates.
inline Timesheets *browse(const QString &id, const QDate &from, const QDate &to)
{
    Timesheets *w = ShowInsideConsole<Timesheets>();
    ctl<QDateEdit>(w, "DTPicker1")->setDate(from);
    ctl<QDateEdit>(w, "DTPicker2")->setDate(to);
    auto *list = ctl<QTreeView>(w, "EmpList");
    for (int r = 0; r < list->model()->rowCount(); ++r)
        if (list->model()->index(r, 0).data().toString() == id)
            clickRow(list, r);
    return w;
}

/// The dates (Qt::UserRole of "DATE") of the browser's listed rows.
inline QList<QDate> listedDays(Timesheets *w)
{
    QAbstractItemModel *m = ctl<QTreeView>(w, "TimeList")->model();
    QList<QDate> out;
    for (int r = 0; r < m->rowCount(); ++r)
        out << m->index(r, 6).data(Qt::UserRole).toDate();
    return out;
}

} // namespace zarvo::test
