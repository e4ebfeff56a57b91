// The timesheet browser: the employee list, the listing of one employee's rows between two
// dates, deleting the chosen row, and handing a row to the editor whatever the desktop's date
// format.

#include "tsfixture.h"
#include <QLocale>

using namespace zarvo;
using namespace zarvo::test;

namespace {
const QDate kDay1(2026, 12, 7);
const QDate kDay2(2026, 12, 8);

/// Employees E1, E2 and rows of E1 (two days and today), E2 and e1, in this table order.
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
} // namespace

class TestTimesheets : public QObject {
    Q_OBJECT
private slots:
    void init() { Clock::setFixed(QDateTime(kToday, QTime(10, 0))); }
    void cleanup()
    {
        Clock::clearFixed();
        QLocale::setDefault(QLocale::system());
        Module1::instance().SelectedDate.clear();
        Module1::instance().SelectedDay = {};
    }

    void loadListsEveryEmployee()
    {
        WindowFixture f;
        addData(f.db());
        RecordSet rs;
        rs.open(f.db(), "Select * from Employee");
        rs.moveLast();
        rs.setValue("emp_mname", "Q");
        rs.update();
        Browser b{ShowInsideConsole<Timesheets>()};
        QVERIFY(b.w);
        QCOMPARE(b.w->windowTitle(), QString("Employee Timesheets"));
        QVERIFY(f.boxes.boxes.isEmpty());
        QAbstractItemModel *m = b.empList()->model();
        QCOMPARE(m->headerData(0, Qt::Horizontal).toString(), QString("Employee ID"));
        QCOMPARE(m->headerData(1, Qt::Horizontal).toString(), QString("Name"));
        QCOMPARE(m->rowCount(), 2);
        QCOMPARE(m->index(0, 1).data().toString(), QString("Lee, Ann ")); // a Null middle name is empty
        QCOMPARE(m->index(1, 1).data().toString(), QString("Cruz, Bo Q"));
        const QStringList headers = {"IN 1", "OUT 1", "IN 2", "OUT 2", "IN 3", "OUT 3", "DATE"};
        for (int c = 0; c < headers.size(); ++c)
            QCOMPARE(b.timeList()->model()->headerData(c, Qt::Horizontal).toString(), headers[c]);
        QCOMPARE(ctl<QDateEdit>(b.w, "DTPicker1")->date(), kToday);
        QCOMPARE(ctl<QDateEdit>(b.w, "DTPicker2")->date(), kToday);
        const QStringList captions = {"Add", "Edit", "Delete", "Close"};
        for (int i = 0; i < 4; ++i) {
            QPushButton *button = b.button(qPrintable(QString("PushButton%1").arg(i + 1)));
            QCOMPARE(button->text(), captions[i]);
            QCOMPARE(button->isEnabled(), i == 3);
        }
        // A click in the timesheet list enables "Edit" and "Delete", never "Add".
        b.chooseEmployee("E1");
        clickRow(b.timeList(), 0);
        QVERIFY(b.button("PushButton2")->isEnabled() && b.button("PushButton3")->isEnabled());
        QVERIFY(!b.button("PushButton1")->isEnabled());
        renderToPng(b.w, "timesheets.png");
    }

    void messagesOfAnEmptyTableAndAClosedConnection()
    {
        WindowFixture f;
        Browser b{ShowInsideConsole<Timesheets>()};
        QVERIFY(f.isOpen<Timesheets>());
        QCOMPARE(f.boxes.boxes.size(), 1);
        QCOMPARE(f.boxes.last().text, QString("No Record to Filter...\r\rPlease Add an Employee to Continue"));
        QCOMPARE(f.boxes.last().title, QString("Error! Filtering Database"));
        QCOMPARE(f.boxes.last().icon, BoxIcon::Information);
        // A click in the list with no employee to choose.
        QTest::mouseClick(b.empList()->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(f.boxes.boxes.size(), 2);
        QCOMPARE(f.boxes.last().text, QString("Unable to Browse Employee Timesheets\r\rPlease Add a Time-In/Time-Out..."));
        QCOMPARE(f.boxes.last().title, QString("Timesheet Error!"));
        QCOMPARE(f.boxes.last().icon, BoxIcon::Information);
        // "Edit" and "Delete" without selections do nothing, silently.
        b.button("PushButton2")->setEnabled(true);
        b.button("PushButton3")->setEnabled(true);
        QTest::mouseClick(b.button("PushButton2"), Qt::LeftButton);
        QTest::mouseClick(b.button("PushButton3"), Qt::LeftButton);
        QCOMPARE(f.boxes.boxes.size(), 2);
        QVERIFY(!f.isOpen<AddTime>());
        b.w->closeWindow();
        QTRY_VERIFY(!f.isOpen<Timesheets>());

        // The connection is checked at loading and again at each employee click.
        addData(f.db());
        b.w = ShowInsideConsole<Timesheets>();
        f.boxes.clear();
        f.db().close();
        b.chooseEmployee("E1");
        QCOMPARE(f.boxes.boxes.size(), 1);
        QCOMPARE(f.boxes.last().text, QString("Could not open database ..."));
        QCOMPARE(f.boxes.last().title, QString("Connection Failed"));
        QCOMPARE(f.boxes.last().icon, BoxIcon::Exclamation);
        QTRY_VERIFY(!f.isOpen<Timesheets>());
        QVERIFY(!ShowInsideConsole<Timesheets>());
    }

    void listing_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QList<QDate>>("days");
        QTest::newRow("the employee's own rows only, in table order")
            << "E1" << kDay1 << kToday << QList<QDate>{kDay1, kDay2, kToday};
        QTest::newRow("From equal to To: that day") << "E1" << kDay2 << kDay2 << QList<QDate>{kDay2};
        QTest::newRow("From later than To: nothing") << "E1" << kToday << kDay1 << QList<QDate>{};
        QTest::newRow("no rows in the range") << "E2" << kDay2 << kToday << QList<QDate>{};
        QTest::newRow("another employee") << "E2" << kDay1 << kToday << QList<QDate>{kDay1};
    }
    void listing()
    {
        QFETCH(QString, id);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QList<QDate>, days);
        WindowFixture f;
        addData(f.db());
        Browser b{ShowInsideConsole<Timesheets>()};
        b.setRange(from, to);
        b.chooseEmployee(id);
        QVERIFY(f.boxes.boxes.isEmpty());
        QAbstractItemModel *m = b.timeList()->model();
        QCOMPARE(m->rowCount(), days.size());
        for (int r = 0; r < days.size(); ++r)
            QCOMPARE(m->index(r, 6).data(Qt::UserRole).toDate(), days[r]);
        // Changing the dates alone does not list again.
        b.setRange(kDay1, kToday);
        QCOMPARE(m->rowCount(), days.size());
    }

    void listedTextsAreTheDesktops_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("row");
        QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates)
                               << "9:15:30 AM|5:45:00 PM|6:00:00 PM||||12/8/26";
        QTest::newRow("de_DE") << QLocale(QLocale::German, QLocale::Germany) << "09:15:30|17:45:00|18:00:00||||08.12.26";
    }
    void listedTextsAreTheDesktops()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, row);
        QLocale::setDefault(locale);
        WindowFixture f;
        addData(f.db());
        Browser b{ShowInsideConsole<Timesheets>()};
        b.setRange(kDay2, kDay2);
        b.chooseEmployee("E1");
        QCOMPARE(b.listed(), QStringList{row});
    }

    void deleteTheChosenRow_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<QStringList>("rowsLeft");
        const QString a = "E1 12/08/2026 09:15:30 - - - - -", bRow = "E1 12/08/2026 11:00:00 - - - - -";
        const QString other = "E2 12/07/2026 07:00:00 - - - - -";
        QTest::newRow("No keeps it") << int(BoxAnswer::No) << 1 << QStringList{a, other, bRow};
        QTest::newRow("Yes deletes the first of a day's two rows") << int(BoxAnswer::Yes) << 0 << QStringList{other, bRow};
        QTest::newRow("Yes deletes the second of a day's two rows, not the first")
            << int(BoxAnswer::Yes) << 1 << QStringList{a, other};
    }
    void deleteTheChosenRow()
    {
        QFETCH(int, answer);
        QFETCH(int, chosen);
        QFETCH(QStringList, rowsLeft);
        WindowFixture f;
        addEmployee(f.db(), "E1", "Ann", "Lee");
        addRow(f.db(), "E1", kDay2, {"09:15:30"});
        addRow(f.db(), "E2", kDay1, {"07:00:00"});
        addRow(f.db(), "E1", kDay2, {"11:00:00"});
        Browser b{ShowInsideConsole<Timesheets>()};
        b.setRange(kDay1, kToday);
        b.chooseEmployee("E1");
        const QStringList before = b.listed();
        clickRow(b.timeList(), chosen);
        f.boxes.answers.push_back(BoxAnswer(answer));
        QTest::mouseClick(b.button("PushButton3"), Qt::LeftButton);
        QCOMPARE(f.boxes.boxes.size(), 1);
        QCOMPARE(f.boxes.last().text, QString("Are You Sure to Delete This Time Record"));
        QCOMPARE(f.boxes.last().title, QString("Warning! Deletion in Progress"));
        QCOMPARE(f.boxes.last().icon, BoxIcon::None);
        QCOMPARE(f.boxes.last().buttons, BoxButtons::YesNo);
        QCOMPARE(allRows(f.db()), rowsLeft);
        QStringList expected = before;
        if (BoxAnswer(answer) == BoxAnswer::Yes)
            expected.removeAt(chosen);
        QCOMPARE(b.listed(), expected);
    }

    // The editor finds the chosen row whatever the desktop shows dates like: the date itself
    // goes with the shown text, which is never read back.
    void editHandsTheRowOverInAnyLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("month first (en_US)") << QLocale(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("day first, two-digit year (en_GB)") << QLocale(QLocale::English, QLocale::UnitedKingdom);
        QTest::newRow("day first with dots (de_DE)") << QLocale(QLocale::German, QLocale::Germany);
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
        Browser b{ShowInsideConsole<Timesheets>()};
        b.setRange(QDate(2026, 1, 1), QDate(2026, 12, 31));
        b.chooseEmployee("E1");
        QCOMPARE(b.listed().size(), 4);
        clickRow(b.timeList(), 1); // E1 on 12/08/2026
        const QString dateText = b.timeList()->model()->index(1, 6).data().toString();
        QCOMPARE(dateText, locale.toString(kDay2, QLocale::ShortFormat).replace(QChar(0x202F), ' '));
        QTest::mouseClick(b.button("PushButton2"), Qt::LeftButton);
        QCOMPARE(Module1::instance().SelectedEmpID, QString("E1"));
        QCOMPARE(Module1::instance().SelectedDate, dateText);
        Editor e{findInsideConsole<AddTime>(), f.boxes};
        QVERIFY(e.w);
        QCOMPARE(e.w->records().position(), 2);
        QCOMPARE(e.date()->date(), kDay2);
        QCOMPARE(e.times(), QString("09:15:30 17:45:00 18:00:00 00:00:00 00:00:00 00:00:00"));
        QVERIFY(f.boxes.boxes.isEmpty());
        // The editor's picker shows the whole year in the desktop's order, and reads back the same day.
        QVERIFY(e.date()->displayFormat().contains("yyyy"));
        QCOMPARE(QLocale().toDate(e.date()->text(), e.date()->displayFormat()), kDay2);
        renderToPng(e.w, QString("addtime_%1.png").arg(locale.name()));

        // "Edit" again on another row only brings the editor forward.
        clickRow(b.timeList(), 0);
        QTest::mouseClick(b.button("PushButton2"), Qt::LeftButton);
        QCOMPARE(findInsideConsole<AddTime>(), e.w);
        QCOMPARE(e.w->records().position(), 2);
    }
};

QTEST_MAIN(TestTimesheets)
#include "tst_timesheets.moc"
