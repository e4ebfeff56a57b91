// Every kind of change made by hand in the windows writes one entry into the change log (and
// one that fails writes none); the timesheet browser marks the rows changed by hand; the
// "Change Log" window lists the entries newest first, by employee.
#include "adminpass.h"
#include "changelog.h"
#include "changelogwindow.h"
#include "company.h"
#include "employee.h"
#include "searchid.h"
#include "tsfixture.h"
#include <QCheckBox>
#include <QLabel>
#include <QTreeWidget>

using namespace zarvo;
using namespace zarvo::test;

namespace {

void click(QWidget *w, const char *button) { QTest::mouseClick(ctl<QPushButton>(w, button), Qt::LeftButton); }

QStringList entries(DatabaseSession &db)
{
    QStringList out;
    for (const ChangeLog::Entry &e : ChangeLog::entries(db, QDate(2000, 1, 1), QDate(2100, 1, 1)))
        out << e.window + ' ' + e.action + ' ' + e.table + ' ' + e.empId;
    return out;
}

/// The hand changes, each through its window, on E1 (12.5 an hour) with two days of rows.
void change(const QString &kind)
{
    if (kind == "AddTime save" || kind == "AddTime update" || kind == "AddTime delete") {
        AddTime *w = openEditorOn("E1", kDay2);
        if (kind == "AddTime save") {
            click(w, "New");
            ctl<QTimeEdit>(w, "In1")->setTime(QTime(9, 0));
            click(w, "Save");
        } else if (kind == "AddTime update") {
            click(w, "edit");
            ctl<QTimeEdit>(w, "Out1")->setTime(QTime(17, 0));
            click(w, "edit");
        } else {
            click(w, "cancel"); // the recorder answers Yes
        }
    } else if (kind == "Timesheets delete") {
        Timesheets *w = browse("E1", kDay1, kDay2);
        clickRow(ctl<QTreeView>(w, "TimeList"), 0);
        click(w, "PushButton3");
    } else if (kind == "Employee save" || kind == "Employee wage" || kind == "Employee bad wage") {
        if (kind != "Employee save")
            Module1::instance().SelectedEmpID = "E1";
        Employee *e = ShowInsideConsole<Employee>();
        if (kind == "Employee save") {
            click(e, "PushButton1");
            ctl<QLineEdit>(e, "emp_id")->setText("E2");
            ctl<QLineEdit>(e, "emp_lname")->setText("Lee");
            ctl<QLineEdit>(e, "emp_fname")->setText("Ann");
            click(e, "PushButton2");
        } else {
            e->enableEdit();
            click(e, "PushButton3");
            ctl<QLineEdit>(e, "reg_wage")->setText(kind == "Employee wage" ? "14.25" : "fourteen");
            click(e, "PushButton3");
        }
    } else if (kind == "SearchID delete") {
        SearchID *s = ShowInsideConsole<SearchID>();
        ctl<QLineEdit>(s, "Srch_Emp_ID")->setText("E1");
        click(s, "PushButton1");
        auto *list = ctl<QTreeWidget>(s, "ListView1");
        list->setCurrentItem(list->topLevelItem(0));
        click(s, "PushButton4");
    } else if (kind == "Company") {
        Company *c = ShowInsideConsole<Company>();
        for (const char *box : {"txtTitle", "txtAddress", "txtCity", "txtState", "txtCountry", "txtZip", "txtPhone", "txtLogo"})
            ctl<QLineEdit>(c, box)->setText("x");
        click(c, "PushButton2");
    } else if (kind == "AdminPass") {
        AdminPass *p = ShowInsideConsole<AdminPass>();
        ctl<QLineEdit>(p, "Text1")->setText("admin");
        ctl<QLineEdit>(p, "Text2")->setText("n3w-secret");
        ctl<QLineEdit>(p, "Text3")->setText("n3w-secret");
        click(p, "Pushbutton1");
    }
}

} // namespace

class TestHandChanges : public QObject {
    Q_OBJECT
private slots:
    void init() { Clock::setFixed(QDateTime(kToday, QTime(10, 0))); }
    void cleanup() { Clock::clearFixed(); }

    void eachHandChangeLogsOneEntry_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("entry"); // empty: none
        QTest::newRow("time record saved") << "AddTime save" << "AddTime add timesheet E1";
        QTest::newRow("time record updated") << "AddTime update" << "AddTime change timesheet E1";
        QTest::newRow("time record deleted") << "AddTime delete" << "AddTime delete timesheet E1";
        QTest::newRow("row deleted in the browser") << "Timesheets delete" << "Timesheets delete timesheet E1";
        QTest::newRow("employee added") << "Employee save" << "Employee add Employee E2";
        QTest::newRow("wage changed") << "Employee wage" << "Employee change Employee E1";
        QTest::newRow("wage refused: nothing logged") << "Employee bad wage" << "";
        QTest::newRow("employee deleted") << "SearchID delete" << "SearchID delete Employee E1";
        QTest::newRow("company details") << "Company" << "Company add Company ";
        QTest::newRow("password changed") << "AdminPass" << "AdminPass change admin ";
    }
    void eachHandChangeLogsOneEntry()
    {
        QFETCH(QString, kind);
        QFETCH(QString, entry);
        WindowFixture f;
        test::addEmployee(f.db(), "E1", "Ann", "Lee");
        f.db().execScript("UPDATE Employee SET reg_wage = 12.5");
        addRow(f.db(), "E1", kDay1, {"08:00:00"});
        addRow(f.db(), "E1", kDay2, {"08:00:00", "12:00:00"});
        const QStringList rows = allRows(f.db());
        change(kind);
        QCOMPARE(entries(f.db()), entry.isEmpty() ? QStringList{} : QStringList{entry});
        if (entry.isEmpty())
            QCOMPARE(allRows(f.db()), rows);
        const QString all = ChangeLog::entries(f.db(), kToday, kToday).value(0).after;
        QVERIFY(!all.contains("n3w-secret"));
        QVERIFY(ChangeLog::verify(f.db()).intact);
    }

    void browserMarksTheDaysChangedByHand()
    {
        WindowFixture f;
        addRow(f.db(), "E1", kDay1, {"08:00:00"});
        addRow(f.db(), "E1", kDay2, {"08:00:00"});
        test::addEmployee(f.db(), "E1", "Ann", "Lee");
        change("AddTime update"); // day 2
        Timesheets *w = browse("E1", kDay1, kDay2);
        QAbstractItemModel *m = ctl<QTreeView>(w, "TimeList")->model();
        QCOMPARE(m->rowCount(), 2);
        QCOMPARE(m->index(0, 6).data(Qt::ToolTipRole), QVariant());
        QCOMPARE(m->index(1, 6).data(Qt::ToolTipRole).toString(), QString("Changed by hand"));
        QVERIFY(!m->index(1, 6).data(Qt::DecorationRole).value<QIcon>().isNull());
    }

    void changeLogWindowListsNewestFirstByEmployee()
    {
        WindowFixture f;
        addRow(f.db(), "E1", kDay1, {"08:00:00"});
        addRow(f.db(), "E2", kDay1, {"08:00:00"});
        RecordSet rs;
        rs.open(f.db(), "Select * from timesheet");
        for (const char *in1 : {"07:00:00", "07:30:00"}) {
            rs.moveLast();
            ChangeLog::record(f.db(), "AddTime", rs, ChangeLog::Action::Change, [&] {
                rs.setValue("in1", in1);
                rs.update();
            });
        }
        rs.moveFirst();
        ChangeLog::record(f.db(), "Timesheets", rs, ChangeLog::Action::Delete, [&] { rs.remove(); });
        ChangeLogWindow *w = ShowInsideConsole<ChangeLogWindow>();
        QVERIFY(w);
        auto *list = ctl<QTreeWidget>(w, "LogList");
        QCOMPARE(list->topLevelItemCount(), 3);
        QCOMPARE(list->topLevelItem(0)->text(1), QString("Timesheets"));
        QCOMPARE(list->topLevelItem(1)->text(7), QString("in1: 07:00:00 -> 07:30:00"));
        QVERIFY(ctl<QLabel>(w, "Label4")->text().contains("intact"));
        ctl<QLineEdit>(w, "Text1")->setText("e2");
        click(w, "PushButton1");
        QCOMPARE(list->topLevelItemCount(), 2);
        QCOMPARE(list->topLevelItem(0)->text(5), QString("E2"));
        renderToPng(w, "changelog.png");
    }
};

QTEST_MAIN(TestHandChanges)
#include "tst_handchanges.moc"
