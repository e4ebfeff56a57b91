#pragma once
// The timesheet browser: an employee's punch rows over a date range, deleted here or handed to
// the time record editor.

#include "consolewindow.h"
#include "database.h"
#include "dialogs.h"
#include <QDate>

class QDateEdit;
class QPushButton;
class QTreeView;
namespace zarvo {
class RecordSetModel;
}

/// Window "Employee Timesheets": date pickers `DTPicker1` "From" and `DTPicker2` "To", lists
/// `EmpList` and `TimeList`, buttons `PushButton1` "Add" (never enabled), `PushButton2` "Edit",
/// `PushButton3` "Delete", `PushButton4` "Close". A click on an employee lists that employee's
/// rows between the two dates.
class Timesheets : public ConsoleWindow {
    Q_OBJECT
public:
    explicit Timesheets(QWidget *parent = nullptr);
    ~Timesheets() override;

    bool load() override;
    QSize sizeHint() const override { return {1000, 480}; }

    /// Lists the rows of the selected employee (what a click in `EmpList` does).
    void employeeChosen();
    /// The record set of the last listing (tests).
    const zarvo::RecordSet &timesheetSet() const { return m_times; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void timeListClicked();
    void editClicked();
    void deleteClicked();
    /// The selected row of a list, -1 when none.
    static int selectedRow(const QTreeView *list);
    /// "Timesheet Error!": choosing an employee did not list the rows.
    static zarvo::MessageBox listingFailedBox();
    void listingFailed();

    zarvo::RecordSet m_employees;
    zarvo::RecordSet m_times;
    zarvo::RecordSetModel *m_empModel = nullptr;
    zarvo::RecordSetModel *m_timeModel = nullptr;
    QDateEdit *m_from = nullptr;
    QDateEdit *m_to = nullptr;
    QTreeView *m_empList = nullptr;
    QTreeView *m_timeList = nullptr;
    QPushButton *m_add = nullptr;
    QPushButton *m_edit = nullptr;
    QPushButton *m_delete = nullptr;
    QPushButton *m_close = nullptr;
    QString m_listedId; // the employee the timesheet list was made for
};
