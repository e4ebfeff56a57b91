#pragma once
// Rows, windows and clicks for the timesheet window tests.

#include "addtime.h"
#include "timesheets.h"
#include "windowfixture.h"
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QTreeView>

namespace zarvo::test {

inline const QDate kToday(2026, 12, 9);
inline const char *const kSlotNames[] = {"in1", "out1", "in2", "out2", "in3", "out3"};
inline const char *const kPickerNames[] = {"In1", "Out1", "In2", "Out2", "In3", "Out3"};

/// Appends a timesheet row: `times` are up to six time texts, an empty one left Null.
inline void addRow(DatabaseSession &db, const QString &id, const QDate &day, const QStringList &times = {})
{
    RecordSet rs;
    rs.open(db, "Select * from timesheet");
    rs.addNew();
    rs.setValue("emp_id", id);
    rs.setValue("rsdate", dayText(day));
    for (int i = 0; i < times.size(); ++i)
        if (!times[i].isEmpty())
            rs.setValue(kSlotNames[i], times[i]);
    rs.update();
}

/// Every timesheet row in table order as "id date in1 out1 in2 out2 in3 out3" (Null as "-").
inline QStringList allRows(DatabaseSession &db)
{
    RecordSet rs;
    rs.open(db, "Select * from timesheet");
    QStringList out;
    for (; !rs.eof(); rs.moveNext()) {
        QStringList parts{rs.text("emp_id"), rs.text("rsdate")};
        for (const char *slot : kSlotNames)
            parts << (rs.value(slot).isValid() ? rs.text(slot) : QStringLiteral("-"));
        out << parts.join(' ');
    }
    return out;
}

/// Clicks the middle of a list's row (press selects it, the release is the list's click).
inline void clickRow(QTreeView *list, int row)
{
    const QRect r = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
}

struct Browser {
    Timesheets *w;
    QTreeView *empList() const { return ctl<QTreeView>(w, "EmpList"); }
    QTreeView *timeList() const { return ctl<QTreeView>(w, "TimeList"); }
    QPushButton *button(const char *name) const { return ctl<QPushButton>(w, name); }
    void setRange(const QDate &from, const QDate &to) const
    {
        ctl<QDateEdit>(w, "DTPicker1")->setDate(from);
        ctl<QDateEdit>(w, "DTPicker2")->setDate(to);
    }
    /// Clicks the employee with that ID in `EmpList`.
    void chooseEmployee(const QString &id) const
    {
        QAbstractItemModel *m = empList()->model();
        for (int r = 0; r < m->rowCount(); ++r)
            if (m->index(r, 0).data().toString() == id)
                return clickRow(empList(), r);
        qFatal("no employee %s listed", qPrintable(id));
    }
    /// The listed rows, each as its seven shown texts joined by "|".
    QStringList listed() const
    {
        QAbstractItemModel *m = timeList()->model();
        QStringList out;
        for (int r = 0; r < m->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < m->columnCount(); ++c)
                cells << m->index(r, c).data().toString();
            out << cells.join('|');
        }
        return out;
    }
};

struct Editor {
    AddTime *w;
    BoxRecorder &boxes;
    QPushButton *button(const char *name) const { return ctl<QPushButton>(w, name); }
    QTimeEdit *picker(int i) const { return ctl<QTimeEdit>(w, kPickerNames[i]); }
    QLineEdit *empId() const { return ctl<QLineEdit>(w, "EmpID"); }
    QDateEdit *date() const { return ctl<QDateEdit>(w, "rDate"); }
    /// Clicks a button; returns the title of the box it showed, if any.
    QString press(const char *name) const
    {
        const auto before = boxes.boxes.size();
        QTest::mouseClick(button(name), Qt::LeftButton);
        return boxes.boxes.size() > before ? boxes.last().title : QString();
    }
    /// The six pickers' times as "hh:mm:ss" joined by blanks.
    QString times() const
    {
        QStringList out;
        for (int i = 0; i < 6; ++i)
            out << picker(i)->time().toString("hh:mm:ss");
        return out.join(' ');
    }
};

/// Opens the editor on a handed-over employee and day, as "Edit" in the browser does.
inline AddTime *openEditorOn(const QString &id, const QDate &day)
{
    Module1::instance().SelectedEmpID = id;
    Module1::instance().SelectedDay = day;
    return ShowInsideConsole<AddTime>();
}

} // namespace zarvo::test
