// The payroll window: the employee list and its ticks, the period, the connection check, and
// which employees each report command hands to its run, with the run's message or report.
#include "windowfixture.h"
#include "payroll.h"
#include "payrollfixture.h"
#include <QCheckBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeWidget>

using namespace zarvo;
using namespace zarvo::test;

namespace {
QTreeWidget *list(Payroll *w) { return ctl<QTreeWidget>(w, "ListView1"); }
void tick(Payroll *w, int row, bool on = true)
{
    list(w)->topLevelItem(row)->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
}
QList<bool> ticks(Payroll *w)
{
    QList<bool> out;
    for (int i = 0; i < list(w)->topLevelItemCount(); ++i)
        out << (list(w)->topLevelItem(i)->checkState(0) == Qt::Checked);
    return out;
}
void click(Payroll *w, const char *button) { QTest::mouseClick(ctl<QPushButton>(w, button), Qt::LeftButton); }

/// Three employees: E1 Ann Lee, E2 (no first name) Ray, E3 Cy Dee; punches for all three.
void addThree(DatabaseSession &db)
{
    addWagedEmployee(db, "E1", "Ann", "Lee", 10.0, 15.0);
    addWagedEmployee(db, "E2", QString(), "Ray", 12.0, 18.0);
    addWagedEmployee(db, "E3", "Cy", "Dee", 20.0, 30.0);
    for (const char *id : {"E1", "E2", "E3"})
        addPunchRow(db, id, QDate(2024, 3, 4), {"08:00:00", "17:00:00"});
}
} // namespace

class TestPayroll : public QObject {
    Q_OBJECT
private slots:
    void init() { Clock::setFixed(QDateTime(QDate(2024, 3, 4), QTime(18, 0))); }
    void cleanup() { Clock::clearFixed(); }

    void loadListsEveryEmployee()
    {
        WindowFixture f;
        addThree(f.db());
        Payroll *w = ShowInsideConsole<Payroll>();
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QString("Payroll Report"));
        QCOMPARE(ctl<QGroupBox>(w, "Frame1")->title(), QString("Employee List"));
        QCOMPARE(ctl<QGroupBox>(w, "Frame2")->title(), QString("Report Type"));
        QCOMPARE(ctl<QLabel>(w, "Label1")->text(),
                 QString("Select the period date range by start date and end date from the 'From' and 'To'  dropdowns"));
        QCOMPARE(ctl<QLabel>(w, "Label2")->text(), QString("From"));
        QCOMPARE(ctl<QLabel>(w, "Label3")->text(), QString("To"));
        QCOMPARE(ctl<QPushButton>(w, "PushButton1")->text(), QString("Full Detail Report"));
        QCOMPARE(ctl<QPushButton>(w, "PushButton2")->text(), QString("Summary Report"));
        QCOMPARE(ctl<QCheckBox>(w, "CheckBox1")->text(), QString("Mark All Employee"));
        QVERIFY(!ctl<QCheckBox>(w, "CheckBox1")->isChecked());
        QCOMPARE(ctl<QDateEdit>(w, "DTPicker1")->date(), QDate(2024, 3, 4));
        QCOMPARE(ctl<QDateEdit>(w, "DTPicker2")->date(), QDate(2024, 3, 4));
        QCOMPARE(list(w)->headerItem()->text(0), QString("Name"));
        QCOMPARE(list(w)->headerItem()->text(1), QString("Employee ID"));
        QStringList items;
        for (int i = 0; i < list(w)->topLevelItemCount(); ++i)
            items << list(w)->topLevelItem(i)->text(0) + "|" + list(w)->topLevelItem(i)->text(1);
        QCOMPARE(items, QStringList({"Ann Lee|E1", " Ray|E2", "Cy Dee|E3"}));
        QCOMPARE(ticks(w), QList<bool>({false, false, false}));
        renderToPng(w, "payroll.png");
    }

    void markAllTicksAndClearsEveryItem()
    {
        WindowFixture f;
        addThree(f.db());
        Payroll *w = ShowInsideConsole<Payroll>();
        auto *all = ctl<QCheckBox>(w, "CheckBox1");
        tick(w, 1);
        all->click();
        QCOMPARE(ticks(w), QList<bool>({true, true, true}));
        tick(w, 0, false); // a single item changed by hand leaves the box as it is
        QVERIFY(all->isChecked());
        all->click();
        QCOMPARE(ticks(w), QList<bool>({false, false, false}));
        tick(w, 2);
        all->click();
        QCOMPARE(ticks(w), QList<bool>({true, true, true}));
    }

    void markAllOnAnEmptyListChangesNothing()
    {
        WindowFixture f;
        Payroll *w = ShowInsideConsole<Payroll>();
        ctl<QCheckBox>(w, "CheckBox1")->click();
        QCOMPARE(list(w)->topLevelItemCount(), 0);
        QSignalSpy ready(w, &Payroll::summaryReportReady);
        click(w, "PushButton2");
        QTRY_VERIFY(!w->run());
        QCOMPARE(ready.size(), 0);
        QVERIFY(f.boxes.boxes.isEmpty());
    }

    void closedConnectionClosesTheWindow()
    {
        WindowFixture f;
        f.db().close();
        QVERIFY(!ShowInsideConsole<Payroll>());
        QCOMPARE(f.boxes.boxes.size(), 1);
        QCOMPARE(f.boxes.last().text, QString("Could not open database ..."));
        QCOMPARE(f.boxes.last().title, QString("Connection Failed"));
        QCOMPARE(f.boxes.last().icon, BoxIcon::Exclamation);
        QVERIFY(!f.isOpen<Payroll>());
    }

    void detailReportsTheFirstTickedEmployeeOnly()
    {
        WindowFixture f;
        addThree(f.db());
        Payroll *w = ShowInsideConsole<Payroll>();
        tick(w, 2);
        tick(w, 1);
        QSignalSpy ready(w, &Payroll::detailReportReady);
        click(w, "PushButton1");
        QTRY_COMPARE(ready.size(), 1);
        const auto c = ready.first().first().value<DetailCaptions>();
        QCOMPARE(c.employeeName, std::optional<QString>(" Ray"));
        QCOMPARE(c.totalEarnings, std::optional<QString>("138")); // 4 x 12 + 5 x 18
        QCOMPARE(tableRows(f.db(), "details", {"emp_id", "work_hours"}), QStringList({"E2 9"}));
        QVERIFY(f.boxes.boxes.isEmpty());
        QVERIFY(ctl<QPushButton>(w, "PushButton1")->isEnabled());
        QVERIFY(f.isOpen<Payroll>()); // stays open for the next report
    }

    void detailStopsAtAnIncompletePairWithItsMessage()
    {
        WindowFixture f;
        addThree(f.db());
        addPunchRow(f.db(), "E1", QDate(2024, 3, 4), {"18:00:00"});
        Payroll *w = ShowInsideConsole<Payroll>();
        tick(w, 0);
        QSignalSpy ready(w, &Payroll::detailReportReady);
        // While the message waits, punches must be able to write: no transaction is open.
        bool storeFree = false;
        f.boxes.whileOpen = [&](const MessageBox &) {
            try {
                Transaction t(f.db());
                t.commit();
                storeFree = true;
            } catch (const DbError &) {
            }
        };
        click(w, "PushButton1");
        QTRY_COMPARE(f.boxes.boxes.size(), 1);
        QCOMPARE(f.boxes.last().text, QString("Please Check the Ins and Outs of Each Employee\r\r"
                                              "Make Sure Time-Ins are Paired with Time-Outs..."));
        QCOMPARE(f.boxes.last().title, QString("Error! Incomplete Data..."));
        QCOMPARE(f.boxes.last().icon, BoxIcon::Information);
        QVERIFY(storeFree);
        QCOMPARE(ready.size(), 0);
        QCOMPARE(tableRows(f.db(), "details", {"emp_id", "work_hours"}), QStringList({"E1 9"}));
    }

    void summaryReportsTickedEmployeesInListOrder()
    {
        WindowFixture f;
        addThree(f.db());
        Payroll *w = ShowInsideConsole<Payroll>();
        tick(w, 2);
        tick(w, 0);
        QSignalSpy ready(w, &Payroll::summaryReportReady);
        click(w, "PushButton2");
        QTRY_COMPARE(ready.size(), 1);
        QCOMPARE(ready.first().first().value<SummaryCaptions>().header.periodStart, QString("04-Mar-2024"));
        QCOMPARE(tableRows(f.db(), "summary", {"emp_id", "emp_name", "tot_earnings"}),
                 QStringList({"E1 Ann Lee 115", "E3 Cy Dee 230"}));
        // Nothing ticked: the table is emptied and no report follows.
        tick(w, 0, false);
        tick(w, 2, false);
        click(w, "PushButton2");
        QTRY_COMPARE(f.db().countRows("summary"), 0);
        QTRY_VERIFY(!w->run());
        QCOMPARE(ready.size(), 1);
        QVERIFY(f.boxes.boxes.isEmpty());
    }

    void storeFailureIsReported()
    {
        WindowFixture f;
        addThree(f.db());
        Payroll *w = ShowInsideConsole<Payroll>();
        tick(w, 0);
        QSignalSpy ready(w, &Payroll::summaryReportReady);
        f.db().close();
        click(w, "PushButton2");
        QTRY_COMPARE(f.boxes.boxes.size(), 1);
        QCOMPARE(f.boxes.last().text, QString("The payroll report could not be made: The database is not open"));
        QCOMPARE(f.boxes.last().title, QString("Report Failed"));
        QCOMPARE(f.boxes.last().icon, BoxIcon::Exclamation);
        QCOMPARE(ready.size(), 0);
        QVERIFY(ctl<QPushButton>(w, "PushButton2")->isEnabled()); // ready for another attempt
    }

    void periodComesFromThePickers()
    {
        WindowFixture f;
        addThree(f.db());
        addPunchRow(f.db(), "E1", QDate(2024, 3, 5), {"08:00:00", "12:00:00"});
        Payroll *w = ShowInsideConsole<Payroll>();
        ctl<QDateEdit>(w, "DTPicker2")->setDate(QDate(2024, 3, 5));
        tick(w, 0);
        QSignalSpy ready(w, &Payroll::summaryReportReady);
        click(w, "PushButton2");
        QTRY_COMPARE(ready.size(), 1);
        QCOMPARE(tableRows(f.db(), "summary", {"emp_id", "work_hours"}), QStringList({"E1 13"}));
        // An end date before the start date finds no punches.
        ctl<QDateEdit>(w, "DTPicker2")->setDate(QDate(2024, 3, 3));
        click(w, "PushButton2");
        QTRY_COMPARE(ready.size(), 2);
        QCOMPARE(tableRows(f.db(), "summary", {"emp_id", "work_hours"}), QStringList({"E1 0"}));
    }
};

QTEST_MAIN(TestPayroll)
#include "tst_payroll.moc"
