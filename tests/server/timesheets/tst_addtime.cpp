// The time record editor: its four states, its messages, finding the handed-over or searched
// row, its writes, and rows deleted elsewhere refused without touching any other row.

#include "punchrule.h"
#include "tsfixture.h"

using namespace zarvo;
using namespace zarvo::test;

namespace {
/// Rows 0-4: E1 day 1, E2 day 1, E1 day 2, E2 day 1 again, e1 day 2.
void addRows(DatabaseSession &db)
{
    addRow(db, "E1", kDay1, {"08:00:00", "12:00:00"});
    addRow(db, "E2", kDay1, {"07:00:00"});
    addRow(db, "E1", kDay2, {"09:15:30"});
    addRow(db, "E2", kDay1, {"13:00:00"});
    addRow(db, "e1", kDay2, {"10:00:00"});
}

/// What the user sees of the state: pickers, the ID box, the buttons and their captions.
QString state(AddTime *w)
{
    auto on = [w](const char *name) { return ctl<QWidget>(w, name)->isEnabled() ? "on" : "off"; };
    return QString("times=%1 rDate=%2 EmpID=%3 New=%4 Save=%5 edit=%6:%7 Srch=%8 flags=%9%10")
        .arg(on("Out3"), on("rDate"), ctl<QLineEdit>(w, "EmpID")->isReadOnly() ? "ro" : "rw", on("New"), on("Save"),
             on("edit"), ctl<QPushButton>(w, "edit")->text(), ctl<QPushButton>(w, "Srch")->text())
        .arg(int(w->editing()))
        .arg(int(w->searching()));
}

const QString kViewing = "times=off rDate=off EmpID=ro New=on Save=off edit=on:Edit Srch=Search flags=00";
const QString kBlanks = "- - - - -"; // five missing slots, shown blank
const QString kFirst = "This is the First Record|BOF Reached|2", kLast = "This is the Last Record|EOF Reached|2";
} // namespace

class TestAddTime : public QObject {
    Q_OBJECT
private slots:
    void init() { Clock::setFixed(QDateTime(kToday, QTime(10, 0))); }
    void cleanup() { Clock::clearFixed(); }

    void stateTable_data()
    {
        QTest::addColumn<QStringList>("presses");
        QTest::addColumn<QString>("expected");
        QTest::newRow("loaded: viewing") << QStringList{} << kViewing;
        QTest::newRow("New: entering")
            << QStringList{"New"} << "times=on rDate=on EmpID=ro New=off Save=on edit=off:Edit Srch=Search flags=00";
        QTest::newRow("New, Save: viewing") << QStringList{"New", "Save"} << kViewing;
        QTest::newRow("Edit: correcting")
            << QStringList{"edit"} << "times=on rDate=on EmpID=ro New=off Save=off edit=on:Update Srch=Search flags=10";
        QTest::newRow("Edit, Update: viewing") << QStringList{"edit", "edit"} << kViewing;
        QTest::newRow("Search: searching")
            << QStringList{"Srch"} << "times=off rDate=on EmpID=rw New=on Save=off edit=on:Edit Srch=Fetch flags=01";
        QTest::newRow("Search, Fetch found: viewing") << QStringList{"Srch", "Srch"} << kViewing;
        QTest::newRow("Update past the last row changes nothing on screen")
            << QStringList{"Neks", "Neks", "Neks", "edit", "edit"}
            << "times=on rDate=on EmpID=ro New=off Save=off edit=on:Update Srch=Search flags=00";
        QTest::newRow("then Edit, Previous, Update: viewing")
            << QStringList{"Neks", "Neks", "Neks", "edit", "edit", "edit", "Prev", "edit"} << kViewing;
    }
    void stateTable()
    {
        QFETCH(QStringList, presses);
        QFETCH(QString, expected);
        WindowFixture f;
        addRows(f.db());
        AddTime *w = openEditorOn("E1", kDay2);
        for (const QString &p : presses)
            press(w, f.boxes, p);
        QCOMPARE(state(w), expected);
    }

    void buttonsShowTheirBoxesAndLandOnTheRightRow_data()
    {
        QTest::addColumn<bool>("rows");
        QTest::addColumn<QString>("id"); // handed over on day 1
        QTest::addColumn<QStringList>("presses");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QString>("shown"); // ID and times shown at the end
        QTest::newRow("Previous from the first row") << true << "E1" << QStringList{"Prev"} << QStringList{kFirst}
                                                     << "E1 08:00:00 12:00:00 - - - -";
        QTest::newRow("a further Previous says nothing, Next comes back")
            << true << "E1" << QStringList{"Prev", "Prev", "Neks"} << QStringList{kFirst}
            << "E1 08:00:00 12:00:00 - - - -";
        QTest::newRow("Next walks every employee's rows")
            << true << "E2" << QStringList{"Neks"} << QStringList{} << "E1 09:15:30 " + kBlanks;
        QTest::newRow("every Next past the last row says it again, Previous comes back")
            << true << "e1" << QStringList{"Neks", "Neks", "Prev"} << QStringList{kLast, kLast} << "e1 10:00:00 " + kBlanks;
        QTest::newRow("empty ID: New refused") << true << "E9" << QStringList{"New"}
                                               << QStringList{"Unable to Add New Time|Employee ID Empty|1"} << " - " + kBlanks;
        QTest::newRow("Fetch without a match")
            << true << "E2" << QStringList{"Srch", "Srch"} << QStringList{"No Matching Record Found|Re-Enter Filter Criteria|2"}
            << "E2 07:00:00 " + kBlanks;
        QTest::newRow("empty table; Next past its end; Previous and Fetch quiet")
            << false << "E1" << QStringList{"Neks", "Prev", "Srch", "Srch"}
            << QStringList{"Please Add an Employee Before Adding/Editing Time-Ins|Error! No Records to View|1", kLast}
            << " - " + kBlanks;
    }
    void buttonsShowTheirBoxesAndLandOnTheRightRow()
    {
        QFETCH(bool, rows);
        QFETCH(QString, id);
        QFETCH(QStringList, presses);
        QFETCH(QStringList, boxes);
        QFETCH(QString, shown);
        WindowFixture f;
        if (rows)
            addRows(f.db());
        AddTime *w = openEditorOn(id, kDay1);
        for (const QString &p : presses) {
            if (p == "Srch" && w->searching())
                ctl<QDateEdit>(w, "rDate")->setDate(kToday); // a day without rows
            press(w, f.boxes, p);
        }
        QCOMPARE(shownBoxes(f.boxes), boxes);
        QCOMPARE(ctl<QLineEdit>(w, "EmpID")->text() + " " + pickerTimes(w), shown);
        QVERIFY(f.isOpen<AddTime>());
    }

    void closedConnection()
    {
        WindowFixture f;
        f.db().close();
        QVERIFY(!openEditorOn("E1", kDay1));
        QCOMPARE(shownBoxes(f.boxes), QStringList{"Could not open database ...|Connection Failed|2"});
    }

    // Handed over or fetched, the row is the first of that employee (letter case counting) and
    // day in table order; without one, the set stands past the last row and "Date" shows today.
    void findsTheFirstRow_data()
    {
        QTest::addColumn<bool>("fetch");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QDate>("day");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("times");
        for (bool fetch : {false, true}) {
            const char *how = fetch ? "Fetch: " : "hand-over: ";
            QTest::addRow("%sa row, missing times blank", how) << fetch << "E1" << kDay2 << 2 << "09:15:30 " + kBlanks;
            QTest::addRow("%sthe first of a day's two rows", how) << fetch << "E2" << kDay1 << 1 << "07:00:00 " + kBlanks;
            QTest::addRow("%sletter case counts", how) << fetch << "e1" << kDay2 << 4 << "10:00:00 " + kBlanks;
        }
        QTest::newRow("hand-over: no row that day") << false << "E2" << kDay2 << 5 << "- " + kBlanks;
        QTest::newRow("hand-over: nothing handed over") << false << "" << QDate() << 5 << "- " + kBlanks;
    }
    void findsTheFirstRow()
    {
        QFETCH(bool, fetch);
        QFETCH(QString, id);
        QFETCH(QDate, day);
        QFETCH(int, position);
        QFETCH(QString, times);
        WindowFixture f;
        addRows(f.db());
        AddTime *w = fetch ? openEditorOn("E1", kDay1) : openEditorOn(id, day);
        if (fetch) {
            press(w, f.boxes, "Srch");
            ctl<QLineEdit>(w, "EmpID")->setText(id);
            ctl<QDateEdit>(w, "rDate")->setDate(day);
            press(w, f.boxes, "Srch");
        }
        QVERIFY(f.boxes.boxes.isEmpty());
        QCOMPARE(w->records().position(), position);
        QCOMPARE(pickerTimes(w), times);
        QCOMPARE(ctl<QDateEdit>(w, "rDate")->date(), position < 5 ? day : kToday);
        // The pickers show hours, minutes, seconds and AM/PM.
        ctl<QTimeEdit>(w, "In1")->setTime(QTime(21, 5, 3));
        QCOMPARE(ctl<QTimeEdit>(w, "In1")->text(), QString("9:05:03 PM"));
    }

    void editNewAndDeleteWriteExactlyTheRow_data()
    {
        QTest::addColumn<QStringList>("presses");
        QTest::addColumn<QStringList>("typed");  // "Picker=keys" typed after the first press
        QTest::addColumn<QString>("row0");       // the first row as it ends, "" when deleted
        QTest::addColumn<QString>("appended");   // a row added at the end, if any
        const QString row0 = "E1 12/07/2026 08:00:00 12:00:00 - - - -";
        QTest::newRow("Edit, Update unchanged leaves the missing slots missing")
            << QStringList{"edit", "edit"} << QStringList{} << row0 << "";
        QTest::newRow("a midnight shift: a time-out before its time-in is written")
            << QStringList{"edit", "edit"} << QStringList{"In1=100000PM", "Out1=060000AM"}
            << "E1 12/07/2026 22:00:00 06:00:00 - - - -" << "";
        QTest::newRow("midnight typed or picked into a missing slot is written")
            << QStringList{"edit", "edit"} << QStringList{"In2=120000AM", "In3=<Up><Down>"}
            << "E1 12/07/2026 08:00:00 12:00:00 00:00:00 - 00:00:00 -" << "";
        QTest::newRow("a slot only looked at stays missing")
            << QStringList{"edit", "edit"} << QStringList{"Out2="} << row0 << "";
        QTest::newRow("New, Save with no time typed appends a row without times")
            << QStringList{"New", "Save"} << QStringList{} << row0 << "E1 12/07/2026 - - - - - -";
        QTest::newRow("New, Save with one time typed leaves five slots missing; Save always appends")
            << QStringList{"New", "Save"} << QStringList{"In2=010000PM"} << row0 << "E1 12/07/2026 - - 13:00:00 - - -";
        QTest::newRow("Update right after the last row was reported writes nothing")
            << QStringList{"Neks", "Neks", "Neks", "Neks", "Neks", "edit", "edit"} << QStringList{} << row0 << "";
        QTest::newRow("Delete, No keeps the row") << QStringList{"cancel:No"} << QStringList{} << row0 << "";
        QTest::newRow("Delete, Yes deletes it") << QStringList{"cancel"} << QStringList{} << "" << "";
    }
    void editNewAndDeleteWriteExactlyTheRow()
    {
        QFETCH(QStringList, presses);
        QFETCH(QStringList, typed);
        QFETCH(QString, row0);
        QFETCH(QString, appended);
        WindowFixture f;
        addRows(f.db());
        AddTime *w = openEditorOn("E1", kDay1);
        QStringList expected = allRows(f.db()).mid(1);
        for (int i = 0; i < presses.size(); ++i) {
            const QStringList p = presses[i].split(':');
            f.boxes.answers.push_back(p.value(1) == "No" ? BoxAnswer::No : BoxAnswer::Yes);
            press(w, f.boxes, p[0]);
            for (int t = 0; i == 0 && t < typed.size(); ++t)
                typeInto(ctl<QTimeEdit>(w, typed[t].section('=', 0, 0)), typed[t].section('=', 1));
        }
        if (!row0.isEmpty())
            expected.prepend(row0);
        if (!appended.isEmpty())
            expected.append(appended);
        QCOMPARE(allRows(f.db()), expected);
        if (presses[0].startsWith("cancel")) {
            QCOMPARE(shownBoxes(f.boxes), QStringList{"Are You Sure to Delete This Time Record|Warning! Deletion in Progress|0"});
            QCOMPARE(f.boxes.last().buttons, BoxButtons::YesNo);
        }
    }

    // The editor stands on the newest row; the browser deletes it; a punch adds a row (which the
    // store may give the deleted row's place). "Update" and "Delete" must fail without a word and
    // without touching the punch's row.
    void staleRowIsRefused_data()
    {
        QTest::addColumn<QString>("action");
        QTest::newRow("Update") << "edit";
        QTest::newRow("Delete") << "cancel";
    }
    void staleRowIsRefused()
    {
        QFETCH(QString, action);
        WindowFixture f;
        addEmployee(f.db(), "E1", "Ann", "Lee");
        addRow(f.db(), "E1", kDay1, {"08:00:00"});
        addRow(f.db(), "E1", kToday, {"09:00:00"});
        AddTime *w = openEditorOn("E1", kToday);
        QCOMPARE(w->records().position(), 1);
        if (action == "edit") {
            press(w, f.boxes, "edit");
            ctl<QTimeEdit>(w, "Out1")->setTime(QTime(17, 0));
        }
        Timesheets *b = browse("E1", kToday, kToday);
        clickRow(ctl<QTreeView>(b, "TimeList"), 0);
        press(b, f.boxes, "PushButton3");
        QCOMPARE(listedDays(b), QList<QDate>{});
        QCOMPARE(RecordPunch(f.db(), "E2"), PunchOutcome::SignedIn);
        const QStringList afterPunch = allRows(f.db());
        QCOMPARE(afterPunch, QStringList({"E1 12/07/2026 08:00:00 - - - - -", "E2 12/09/2026 10:00:00 - - - - -"}));
        f.boxes.clear();
        press(w, f.boxes, action);
        QCOMPARE(allRows(f.db()), afterPunch);
        QCOMPARE(f.boxes.boxes.size(), action == "cancel" ? 1 : 0); // only the question
    }
};

QTEST_MAIN(TestAddTime)
#include "tst_addtime.moc"
