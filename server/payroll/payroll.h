#pragma once
// The payroll window: whose payroll and which period, and the two report commands.

#include "consolewindow.h"
#include "database.h"
#include "payrollruns.h"
#include <QPointer>

class QCheckBox;
class QDateEdit;
class QPushButton;
class QTreeWidget;

/// Window "Payroll Report": `ListView1` (employees with tick boxes, columns "Name" and
/// "Employee ID") in `Frame1`, the period in `DTPicker1`/`DTPicker2`, `PushButton1` "Full
/// Detail Report" and `PushButton2` "Summary Report" in `Frame2`, `CheckBox1` "Mark All
/// Employee".
class Payroll : public ConsoleWindow {
    Q_OBJECT
public:
    explicit Payroll(QWidget *parent = nullptr);
    ~Payroll() override;

    bool load() override;
    QSize sizeHint() const override { return {760, 460}; }
    /// The run in progress, if any (a second command waits until it ends).
    zarvo::PayrollRun *run() const { return m_run; }

signals:
    /// `details` is filled and the captions are known; the report is shown next.
    void detailReportReady(const zarvo::DetailCaptions &captions);
    /// `summary` is filled and the captions are known; the report is shown next.
    void summaryReportReady(const zarvo::SummaryCaptions &captions);

private:
    void markAllClicked();
    void detailClicked();
    void summaryClicked();
    void startRun(zarvo::PayrollRun *run);
    void runFinished();
    zarvo::PayPeriod period() const;

    zarvo::RecordSet m_employees;
    QTreeWidget *m_list = nullptr;
    QDateEdit *m_from = nullptr;
    QDateEdit *m_to = nullptr;
    QPushButton *m_detail = nullptr;
    QPushButton *m_summary = nullptr;
    QCheckBox *m_markAll = nullptr;
    QPointer<zarvo::PayrollRun> m_run;
    QPointer<QWidget> m_focusBeforeRun;
};
