// The timesheet browser: its lists and messages, the listing of one employee's rows between
// two dates, deleting the chosen row, and handing a row to the editor whatever the desktop's
// date format.

#include "tsfixture.h"
#include <QLocale>

using namespace zarvo;
using namespace zarvo::test;

namespace {
/// Employees E1, E2; rows: E1 day 1, E2 day 1, E1 day 2, e1 day 2, E1 today.
void addData(DatabaseSession &db)
{
    addEmployee(db, "E1", "Ann", "Lee");
    addEmployee(db, "E2", "Bo", "Cruz");
    addRow(db, "E1", kDay1, {"08:00:00", "12:00:00"});
    addRow(db, "E2", kDay1, {"07:00:00"});
    addRow(db, "E1", kDay2, {"09:15:30", "17:45:00", "18:00:00"});
    addRow(db, "e1", kDay2, {"10:00:00"});
    addRow(db, "E1", kToday, {"06:00:00"});
}

QString rowText(QAbstractItemModel *m, int row)
{
    QStringList cells;
    for (int c = 0; c < m->columnCount(); ++c)
        cells << m->index(row, c).data().toString();
    return cells.join('|');
}
} // namespace

class TestTimesheets : public QObject {
    Q_OBJECT
private slots:
    void init() { Clock::setFixed(QDateTime(kToday, QTime(10, 0))); }
    void cleanup()
    {
        Clock::clearFixed();
        QLocale::setDefault(QLocale::system());
    }

    void listsAndButtons()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        WindowFixture f;
        addData(f.db());
        Timesheets *w = browse("E1", kDay2, kDay2);
        QCOMPARE(w->windowTitle(), QString("Employee Timesheets"));
        QAbstractItemModel *emps = ctl<QTreeView>(w, "EmpList")->model();
        QAbstractItemModel *times = ctl<QTreeView>(w, "TimeList")->model();
        QCOMPARE(rowText(emps, 0) + " " + rowText(emps, 1), QString("E1|Lee, Ann  E2|Cruz, Bo ")); // Null middle name
        QStringList headers;
        for (int c = 0; c < 7; ++c)
            headers << times->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(headers, QStringList({"IN 1", "OUT 1", "IN 2", "OUT 2", "IN 3", "OUT 3", "DATE"}));
        QCOMPARE(times->rowCount(), 1);
        QCOMPARE(rowText(times, 0), QString("9:15:30 AM|5:45:00 PM|6:00:00 PM||||12/8/26"));
        QVERIFY(f.boxes.boxes.isEmpty());
        QStringList buttons;
        for (int i = 1; i <= 4; ++i) {
            auto *b = ctl<QPushButton>(w, QString("PushButton%1").arg(i));
            buttons << b->text() + (b->isEnabled() ? "+" : "-");
        }
        QCOMPARE(buttons.join(' '), QString("Add- Edit- Delete- Close+"));
        clickRow(ctl<QTreeView>(w, "TimeList"), 0); // enables "Edit" and "Delete", never "Add"
        QVERIFY(ctl<QPushButton>(w, "PushButton2")->isEnabled() && ctl<QPushButton>(w, "PushButton3")->isEnabled());
        QVERIFY(!ctl<QPushButton>(w, "PushButton1")->isEnabled());
        renderToPng(w, "timesheets.png");
        press(w, f.boxes, "PushButton4");
        QTRY_VERIFY(!f.isOpen<Timesheets>());
    }

    void missingRowsAndClosedStoreAreReported()
    {
        WindowFixture f;
        Timesheets *w = ShowInsideConsole<Timesheets>();
        QVERIFY(f.isOpen<Timesheets>());
        QTest::mouseClick(ctl<QTreeView>(w, "EmpList")->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        // "Edit" and "Delete" without selections do nothing, silently.
        clickRow(ctl<QTreeView>(w, "TimeList"), 0);
        press(w, f.boxes, "PushButton2");
        press(w, f.boxes, "PushButton3");
        QVERIFY(!f.isOpen<AddTime>());
        QCOMPARE(shownBoxes(f.boxes),
                 QStringList({"No Record to Filter...\r\rPlease Add an Employee to Continue|Error! Filtering Database|1",
                              "Unable to Browse Employee Timesheets\r\rPlease Add a Time-In/Time-Out...|Timesheet Error!|1"}));
        w->closeWindow();
        QTRY_VERIFY(!f.isOpen<Timesheets>());

        // The connection is checked at loading and again at each employee click.
        addData(f.db());
        ShowInsideConsole<Timesheets>();
        f.boxes.clear();
        f.db().close();
        browse("E1", kDay1, kToday);
        QTRY_VERIFY(!f.isOpen<Timesheets>());
        QVERIFY(!ShowInsideConsole<Timesheets>());
        QCOMPARE(shownBoxes(f.boxes), QStringList(2, "Could not open database ...|Connection Failed|2"));
    }

    // A store error on an open connection (here a table taken away) is not a lost connection:
    // the window says what failed and stays open; the step works again once the table is back.
    void storeFailureKeepsTheWindow_data()
    {
        QTest::addColumn<QString>("table");  // taken away before the step
        QTest::addColumn<QString>("step");   // "list": an employee click; "browser"/"editor": opening
        QTest::addColumn<QString>("box");
        const QString readFailed = "The records could not be read.\r\rno such table: %1|Error! Reading Records|2";
        QTest::newRow("listing an employee's rows")
            << "timesheet" << "list"
            << "Unable to Browse Employee Timesheets\r\rPlease Add a Time-In/Time-Out...|Timesheet Error!|1";
        QTest::newRow("the browser's employees") << "Employee" << "browser" << readFailed.arg("Employee");
        QTest::newRow("the editor's rows") << "timesheet" << "editor" << readFailed.arg("timesheet");
    }
    void storeFailureKeepsTheWindow()
    {
        QFETCH(QString, table);
        QFETCH(QString, step);
        QFETCH(QString, box);
        WindowFixture f;
        addData(f.db());
        Timesheets *browser = step == "list" ? ShowInsideConsole<Timesheets>() : nullptr;
        f.db().execScript("ALTER TABLE " + table + " RENAME TO away");
        QWidget *w = browser;
        if (step == "list")
            browse("E1", kDay1, kToday);
        else if (step == "browser")
            w = ShowInsideConsole<Timesheets>();
        else
            w = openEditorOn("E1", kDay1);
        QCOMPARE(shownBoxes(f.boxes), QStringList{box});
        QVERIFY(w && w->isVisible());
        QVERIFY(step == "editor" ? f.isOpen<AddTime>() : f.isOpen<Timesheets>());
        if (step == "list") {
            f.db().execScript("ALTER TABLE away RENAME TO " + table);
            browse("E1", kDay1, kToday);
            QCOMPARE(listedDays(browser), QList<QDate>({kDay1, kDay2, kToday}));
            QCOMPARE(f.boxes.boxes.size(), 1);
        }
    }

    void listing_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QList<QDate>>("days");
        QTest::newRow("the employee's own rows, letter case counting, in table order")
            << "E1" << kDay1 << kToday << QList<QDate>{kDay1, kDay2, kToday};
        QTest::newRow("From equal to To: that day") << "E1" << kDay2 << kDay2 << QList<QDate>{kDay2};
        QTest::newRow("From later than To: nothing") << "E1" << kToday << kDay1 << QList<QDate>{};
        QTest::newRow("no rows in the range") << "E2" << kDay2 << kToday << QList<QDate>{};
    }
    void listing()
    {
        QFETCH(QString, id);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QList<QDate>, days);
        WindowFixture f;
        addData(f.db());
        Timesheets *w = browse(id, from, to);
        QCOMPARE(listedDays(w), days);
        QVERIFY(f.boxes.boxes.isEmpty());
        ctl<QDateEdit>(w, "DTPicker1")->setDate(kDay1); // the dates alone do not list again
        ctl<QDateEdit>(w, "DTPicker2")->setDate(kToday);
        QCOMPARE(listedDays(w), days);
    }

    void deleteTheChosenRow_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<QStringList>("left");
        const QString a = "E1 12/08/2026 09:15:30 - - - - -", b = "E1 12/08/2026 11:00:00 - - - - -",
                      other = "E2 12/07/2026 07:00:00 - - - - -";
        QTest::newRow("No keeps it") << false << 1 << QStringList{a, other, b};
        QTest::newRow("Yes deletes the first of a day's two rows") << true << 0 << QStringList{other, b};
        QTest::newRow("Yes deletes the second of a day's two rows, not the first") << true << 1 << QStringList{a, other};
    }
    void deleteTheChosenRow()
    {
        QFETCH(bool, yes);
        QFETCH(int, chosen);
        QFETCH(QStringList, left);
        WindowFixture f;
        addEmployee(f.db(), "E1", "Ann", "Lee");
        addRow(f.db(), "E1", kDay2, {"09:15:30"});
        addRow(f.db(), "E2", kDay1, {"07:00:00"});
        addRow(f.db(), "E1", kDay2, {"11:00:00"});
        Timesheets *w = browse("E1", kDay1, kToday);
        QAbstractItemModel *m = ctl<QTreeView>(w, "TimeList")->model();
        QStringList listed{rowText(m, 0), rowText(m, 1)};
        clickRow(ctl<QTreeView>(w, "TimeList"), chosen);
        f.boxes.answers.push_back(yes ? BoxAnswer::Yes : BoxAnswer::No);
        press(w, f.boxes, "PushButton3");
        QCOMPARE(shownBoxes(f.boxes), QStringList{"Are You Sure to Delete This Time Record|Warning! Deletion in Progress|0"});
        QCOMPARE(f.boxes.last().buttons, BoxButtons::YesNo);
        QCOMPARE(allRows(f.db()), left);
        if (yes)
            listed.removeAt(chosen);
        QCOMPARE(m->rowCount(), listed.size());
        QCOMPARE(rowText(m, 0), listed[0]);
    }

    // The editor finds the chosen row whatever the desktop shows dates like: the date itself
    // goes with the shown text, which is never read back.
    void editHandsTheRowOverInAnyLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("month first (en_US)") << QLocale(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("day first (en_GB)") << QLocale(QLocale::English, QLocale::UnitedKingdom);
        QTest::newRow("day first with dots, two-digit year (de_DE)") << QLocale(QLocale::German, QLocale::Germany);
        QTest::newRow("day first with dashes (nl_NL)") << QLocale(QLocale::Dutch, QLocale::Netherlands);
        QTest::newRow("year first (ja_JP)") << QLocale(QLocale::Japanese, QLocale::Japan);
    }
    void editHandsTheRowOverInAnyLocale()
    {
        QFETCH(QLocale, locale);
        QLocale::setDefault(locale);
        WindowFixture f;
        addData(f.db());
        addRow(f.db(), "E1", QDate(2026, 8, 12), {"05:00:00"}); // the same numbers, the other order
        Timesheets *w = browse("E1", QDate(2026, 1, 1), QDate(2026, 12, 31));
        QCOMPARE(listedDays(w).size(), 4);
        clickRow(ctl<QTreeView>(w, "TimeList"), 1); // E1 on December 8
        const QString shownDate = ctl<QTreeView>(w, "TimeList")->model()->index(1, 6).data().toString();
        QCOMPARE(shownDate, locale.toString(kDay2, QLocale::ShortFormat).replace(QChar(0x202F), ' '));
        press(w, f.boxes, "PushButton2");
        QCOMPARE(Module1::instance().SelectedEmpID + " " + Module1::instance().SelectedDate, "E1 " + shownDate);
        AddTime *editor = findInsideConsole<AddTime>();
        QVERIFY(editor);
        QCOMPARE(editor->records().position(), 2);
        QCOMPARE(ctl<QDateEdit>(editor, "rDate")->date(), kDay2);
        QCOMPARE(pickerTimes(editor), QString("09:15:30 17:45:00 18:00:00 - - -"));
        QVERIFY(f.boxes.boxes.isEmpty());
        // The editor's date picker shows the whole year in the desktop's order.
        auto *picker = ctl<QDateEdit>(editor, "rDate");
        QCOMPARE(QLocale().toDate(picker->text(), picker->displayFormat()), kDay2);
        renderToPng(editor, QString("addtime_%1.png").arg(locale.name()));
        // "Edit" again on another row only brings the editor forward.
        clickRow(ctl<QTreeView>(w, "TimeList"), 0);
        press(w, f.boxes, "PushButton2");
        QCOMPARE(findInsideConsole<AddTime>(), editor);
        QCOMPARE(editor->records().position(), 2);
    }
};

QTEST_MAIN(TestTimesheets)
#include "tst_timesheets.moc"
