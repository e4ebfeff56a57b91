// The time record editor: its four states, the walk past either end, the hand-over from the
// browser, the writes (always "00:00:00" for an empty slot, "Save" always appending), "Fetch",
// and rows deleted elsewhere refused without touching any other row.

#include "punchrule.h"
#include "tsfixture.h"

using namespace zarvo;
using namespace zarvo::test;

namespace {
const QDate kDay1(2026, 12, 7);
const QDate kDay2(2026, 12, 8);

/// Two rows of E1 and one of E2, in this table order.
void addThreeRows(DatabaseSession &db)
{
    addRow(db, "E1", kDay1, {"08:00:00", "12:00:00"});
    addRow(db, "E2", kDay1, {"07:00:00"});
    addRow(db, "E1", kDay2, {"09:15:30"});
}

/// What the user can do and see: pickers, the ID box, the buttons and their captions.
QString state(const Editor &e)
{
    bool timesOn = true;
    for (int i = 0; i < 6; ++i)
        timesOn = timesOn && e.picker(i)->isEnabled();
    return QString("times=%1 rDate=%2 EmpID=%3 New=%4 Save=%5 edit=%6:%7 Srch=%8 flags=%9%10")
        .arg(timesOn ? "on" : "off", e.date()->isEnabled() ? "on" : "off", e.empId()->isReadOnly() ? "ro" : "rw",
             e.button("New")->isEnabled() ? "on" : "off", e.button("Save")->isEnabled() ? "on" : "off",
             e.button("edit")->isEnabled() ? "on" : "off", e.button("edit")->text(), e.button("Srch")->text())
        .arg(int(e.w->editing()))
        .arg(int(e.w->searching()));
}

const QString kViewing = "times=off rDate=off EmpID=ro New=on Save=off edit=on:Edit Srch=Search flags=00";
} // namespace

class TestAddTime : public QObject {
    Q_OBJECT
private slots:
    void init() { Clock::setFixed(QDateTime(kToday, QTime(10, 0))); }
    void cleanup()
    {
        Clock::clearFixed();
        Module1::instance().SelectedDay = {};
    }

    void stateTable_data()
    {
        QTest::addColumn<QStringList>("presses");
        QTest::addColumn<QString>("expected");
        QTest::newRow("loaded: viewing") << QStringList{} << kViewing;
        QTest::newRow("New: entering a new row")
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
        QTest::newRow("then Edit again, Previous, Update: viewing")
            << QStringList{"Neks", "Neks", "Neks", "edit", "edit", "edit", "Prev", "edit"} << kViewing;
    }
    void stateTable()
    {
        QFETCH(QStringList, presses);
        QFETCH(QString, expected);
        WindowFixture f;
        addThreeRows(f.db());
        Editor e{openEditorOn("E1", kDay1), f.boxes};
        QVERIFY(e.w);
        for (const QString &p : presses)
            e.press(qPrintable(p));
        QCOMPARE(state(e), expected);
    }

    void walkMessages_data()
    {
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QStringList>("presses");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QString>("shownId");
        QTest::addColumn<QString>("shownTimes");
        QTest::newRow("Previous from the first row") << kDay1 << QStringList{"Prev"} << QStringList{"BOF Reached"}
                                                     << "E1" << "08:00:00 12:00:00 00:00:00 00:00:00 00:00:00 00:00:00";
        QTest::newRow("a further Previous says nothing")
            << kDay1 << QStringList{"Prev", "Prev", "Prev"} << QStringList{"BOF Reached"} << "E1"
            << "08:00:00 12:00:00 00:00:00 00:00:00 00:00:00 00:00:00";
        QTest::newRow("back from before the first row")
            << kDay1 << QStringList{"Prev", "Prev", "Neks"} << QStringList{"BOF Reached"} << "E1"
            << "08:00:00 12:00:00 00:00:00 00:00:00 00:00:00 00:00:00";
        QTest::newRow("Next walks every employee's rows")
            << kDay1 << QStringList{"Neks"} << QStringList{} << "E2" << "07:00:00 00:00:00 00:00:00 00:00:00 00:00:00 00:00:00";
        QTest::newRow("every Next past the last row says it again")
            << kDay2 << QStringList{"Neks", "Neks", "Neks"} << QStringList{"EOF Reached", "EOF Reached", "EOF Reached"}
            << "E1" << "09:15:30 00:00:00 00:00:00 00:00:00 00:00:00 00:00:00";
        QTest::newRow("back from past the last row")
            << kDay2 << QStringList{"Neks", "Prev"} << QStringList{"EOF Reached"} << "E1"
            << "09:15:30 00:00:00 00:00:00 00:00:00 00:00:00 00:00:00";
    }
    void walkMessages()
    {
        QFETCH(QDate, start);
        QFETCH(QStringList, presses);
        QFETCH(QStringList, titles);
        QFETCH(QString, shownId);
        QFETCH(QString, shownTimes);
        WindowFixture f;
        addThreeRows(f.db());
        Editor e{openEditorOn("E1", start), f.boxes};
        for (const QString &p : presses)
            e.press(qPrintable(p));
        QStringList shown;
        for (const MessageBox &b : f.boxes.boxes) {
            shown << b.title;
            QCOMPARE(b.icon, BoxIcon::Exclamation);
            QCOMPARE(b.text, b.title == "BOF Reached" ? QString("This is the First Record") : QString("This is the Last Record"));
        }
        QCOMPARE(shown, titles);
        QCOMPARE(e.empId()->text(), shownId);
        QCOMPARE(e.times(), shownTimes);
    }

    void handOver_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QDate>("day");
        QTest::addColumn<int>("position");
        QTest::addColumn<QDate>("shownDate");
        QTest::addColumn<QString>("shownTimes");
        QTest::newRow("the handed-over row, missing times as midnight")
            << "E1" << kDay2 << 2 << kDay2 << "09:15:30 00:00:00 00:00:00 00:00:00 00:00:00 00:00:00";
        QTest::newRow("the first of two rows of a day") << "E2" << kDay1 << 1 << kDay1
                                                         << "07:00:00 00:00:00 00:00:00 00:00:00 00:00:00 00:00:00";
        QTest::newRow("letter case counts")
            << "e1" << kDay2 << 4 << kDay2 << "10:00:00 00:00:00 00:00:00 00:00:00 00:00:00 00:00:00";
        QTest::newRow("no row that day: today shown")
            << "E2" << kDay2 << 5 << kToday << "00:00:00 00:00:00 00:00:00 00:00:00 00:00:00 00:00:00";
        QTest::newRow("nothing handed over: today shown")
            << "" << QDate() << 5 << kToday << "00:00:00 00:00:00 00:00:00 00:00:00 00:00:00 00:00:00";
    }
    void handOver()
    {
        QFETCH(QString, id);
        QFETCH(QDate, day);
        QFETCH(int, position);
        QFETCH(QDate, shownDate);
        QFETCH(QString, shownTimes);
        WindowFixture f;
        addThreeRows(f.db());
        addRow(f.db(), "E2", kDay1, {"13:00:00"}); // a second row of that day, later in the table
        addRow(f.db(), "e1", kDay2, {"10:00:00"});
        Editor e{openEditorOn(id, day), f.boxes};
        QCOMPARE(e.w->records().position(), position);
        QCOMPARE(e.date()->date(), shownDate);
        QCOMPARE(e.times(), shownTimes);
        QVERIFY(f.boxes.boxes.isEmpty());
        // The pickers show hours, minutes, seconds and AM/PM.
        e.picker(0)->setTime(QTime(21, 5, 3));
        QCOMPARE(e.picker(0)->text(), QString("9:05:03 PM"));
    }

    void openingAgainKeepsTheRowAndState()
    {
        WindowFixture f;
        addThreeRows(f.db());
        Editor e{openEditorOn("E1", kDay1), f.boxes};
        e.press("edit");
        QCOMPARE(openEditorOn("E1", kDay2), e.w);
        QCOMPARE(e.w->records().position(), 0);
        QVERIFY(e.w->editing());
    }

    void emptyTableAndClosedConnection()
    {
        WindowFixture f;
        Editor e{openEditorOn("E1", kDay1), f.boxes};
        QVERIFY(f.isOpen<AddTime>());
        QCOMPARE(f.boxes.boxes.size(), 1);
        QCOMPARE(f.boxes.last().text, QString("Please Add an Employee Before Adding/Editing Time-Ins"));
        QCOMPARE(f.boxes.last().title, QString("Error! No Records to View"));
        QCOMPARE(f.boxes.last().icon, BoxIcon::Information);
        // "Next" on the empty set says it is past the end; "Previous" says nothing.
        QCOMPARE(e.press("Neks"), QString("EOF Reached"));
        QCOMPARE(e.press("Prev"), QString());
        // "Search"/"Fetch" on the empty set ends quietly, read-only again.
        e.press("Srch");
        QCOMPARE(e.press("Srch"), QString());
        QVERIFY(e.empId()->isReadOnly());
        e.w->closeWindow();
        QTRY_VERIFY(!f.isOpen<AddTime>());

        f.boxes.clear();
        f.db().close();
        QVERIFY(!openEditorOn("E1", kDay1));
        QVERIFY(!f.isOpen<AddTime>());
        QCOMPARE(f.boxes.boxes.size(), 1);
        QCOMPARE(f.boxes.last().text, QString("Could not open database ..."));
        QCOMPARE(f.boxes.last().title, QString("Connection Failed"));
        QCOMPARE(f.boxes.last().icon, BoxIcon::Exclamation);
    }

    void writes_data()
    {
        QTest::addColumn<QStringList>("presses");
        QTest::addColumn<QStringList>("typedTimes"); // after the first press, "" leaves a picker
        QTest::addColumn<QStringList>("rows");
        const QString e2 = "E2 12/07/2026 07:00:00 - - - - -";
        const QString e1b = "E1 12/08/2026 09:15:30 - - - - -";
        QTest::newRow("Edit, Update unchanged writes 00:00:00 into empty slots")
            << QStringList{"edit", "edit"} << QStringList{}
            << QStringList{"E1 12/07/2026 08:00:00 12:00:00 00:00:00 00:00:00 00:00:00 00:00:00", e2, e1b};
        QTest::newRow("a midnight shift: out before in is the administrator's to write")
            << QStringList{"edit", "edit"} << QStringList{"22:00:00", "06:00:00"}
            << QStringList{"E1 12/07/2026 22:00:00 06:00:00 00:00:00 00:00:00 00:00:00 00:00:00", e2, e1b};
        QTest::newRow("New, Save with every picker at midnight appends six 00:00:00")
            << QStringList{"New", "Save"} << QStringList{}
            << QStringList{"E1 12/07/2026 08:00:00 12:00:00 - - - -", e2, e1b,
                           "E1 12/07/2026 00:00:00 00:00:00 00:00:00 00:00:00 00:00:00 00:00:00"};
        QTest::newRow("Save always appends, also for a day that has its row")
            << QStringList{"New", "Save"} << QStringList{"08:00:00", "", "13:00:00"}
            << QStringList{"E1 12/07/2026 08:00:00 12:00:00 - - - -", e2, e1b,
                           "E1 12/07/2026 08:00:00 00:00:00 13:00:00 00:00:00 00:00:00 00:00:00"};
        QTest::newRow("Update right after the last row was reported writes nothing")
            << QStringList{"Neks", "Neks", "Neks", "edit", "edit"} << QStringList{}
            << QStringList{"E1 12/07/2026 08:00:00 12:00:00 - - - -", e2, e1b};
    }
    void writes()
    {
        QFETCH(QStringList, presses);
        QFETCH(QStringList, typedTimes);
        QFETCH(QStringList, rows);
        WindowFixture f;
        addThreeRows(f.db());
        Editor e{openEditorOn("E1", kDay1), f.boxes};
        for (int i = 0; i < presses.size(); ++i) {
            e.press(qPrintable(presses[i]));
            if (i == 0)
                for (int t = 0; t < typedTimes.size(); ++t)
                    if (!typedTimes[t].isEmpty())
                        e.picker(t)->setTime(QTime::fromString(typedTimes[t], "hh:mm:ss"));
        }
        QCOMPARE(allRows(f.db()), rows);
    }

    void emptyIdRefusesNewAndSave_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("text");
        QTest::newRow("New") << "New" << "Unable to Add New Time";
        QTest::newRow("Save") << "Save" << "Unable to Save Record";
    }
    void emptyIdRefusesNewAndSave()
    {
        QFETCH(QString, button);
        QFETCH(QString, text);
        WindowFixture f;
        addThreeRows(f.db());
        Editor e{openEditorOn("", QDate()), f.boxes};
        e.button("Save")->setEnabled(true); // as after "New" on an ID then emptied by "Search"
        QCOMPARE(e.press(qPrintable(button)), QString("Employee ID Empty"));
        QCOMPARE(f.boxes.last().text, text);
        QCOMPARE(f.boxes.last().icon, BoxIcon::Information);
        QCOMPARE(allRows(f.db()).size(), 3);
    }

    void deleteAsksFirst_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("rowsLeft");
        QTest::newRow("No keeps the row") << int(BoxAnswer::No) << 3;
        QTest::newRow("Yes deletes it") << int(BoxAnswer::Yes) << 2;
    }
    void deleteAsksFirst()
    {
        QFETCH(int, answer);
        QFETCH(int, rowsLeft);
        WindowFixture f;
        addThreeRows(f.db());
        Editor e{openEditorOn("E2", kDay1), f.boxes};
        f.boxes.answers.push_back(BoxAnswer(answer));
        e.press("cancel");
        QCOMPARE(f.boxes.last().text, QString("Are You Sure to Delete This Time Record"));
        QCOMPARE(f.boxes.last().title, QString("Warning! Deletion in Progress"));
        QCOMPARE(f.boxes.last().icon, BoxIcon::None);
        QCOMPARE(f.boxes.last().buttons, BoxButtons::YesNo);
        QCOMPARE(allRows(f.db()).size(), rowsLeft);
        QVERIFY(!allRows(f.db()).contains("E2 12/07/2026 07:00:00 - - - - -") == (rowsLeft == 2));
        QCOMPARE(e.empId()->text(), QString("E2")); // the pickers keep showing the row
        // Past the last row there is nothing to delete: no failure shows.
        f.boxes.clear();
        e.press("Neks");
        e.press("Neks");
        e.press("Neks");
        e.press("cancel");
        QCOMPARE(allRows(f.db()).size(), rowsLeft);
    }

    void fetch_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QDate>("day");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("times");
        QTest::addColumn<bool>("found");
        QTest::newRow("the first row of that employee and day")
            << "E2" << kDay1 << 1 << "07:00:00 00:00:00 00:00:00 00:00:00 00:00:00 00:00:00" << true;
        QTest::newRow("another day of the same employee")
            << "E1" << kDay2 << 2 << "09:15:30 00:00:00 00:00:00 00:00:00 00:00:00 00:00:00" << true;
        QTest::newRow("letter case counts")
            << "e2" << kDay1 << 4 << "14:00:00 00:00:00 00:00:00 00:00:00 00:00:00 00:00:00" << true;
        QTest::newRow("an ID without rows") << "E3" << kDay1 << 5 << QString() << false;
        QTest::newRow("no row on that day") << "E2" << kDay2 << 5 << QString() << false;
    }
    void fetch()
    {
        QFETCH(QString, id);
        QFETCH(QDate, day);
        QFETCH(int, position);
        QFETCH(QString, times);
        QFETCH(bool, found);
        WindowFixture f;
        addThreeRows(f.db());
        addRow(f.db(), "E2", kDay1, {"13:00:00"});
        addRow(f.db(), "e2", kDay1, {"14:00:00"});
        Editor e{openEditorOn("E1", kDay1), f.boxes};
        const QString before = e.times();
        e.press("Srch");
        e.empId()->setText(id);
        e.date()->setDate(day);
        const QString title = e.press("Srch");
        QCOMPARE(e.button("Srch")->text(), QString("Search"));
        QCOMPARE(e.w->records().position(), position);
        QCOMPARE(e.times(), found ? times : before);
        QCOMPARE(e.empId()->isReadOnly(), found);
        QCOMPARE(e.date()->isEnabled(), !found);
        if (found) {
            QVERIFY(f.boxes.boxes.isEmpty());
            return;
        }
        QCOMPARE(title, QString("Re-Enter Filter Criteria"));
        QCOMPARE(f.boxes.last().text, QString("No Matching Record Found"));
        QCOMPARE(f.boxes.last().icon, BoxIcon::Exclamation);
        // A second "Search" starts a new search.
        e.press("Srch");
        e.empId()->setText("E1");
        e.date()->setDate(kDay2);
        QCOMPARE(e.press("Srch"), QString());
        QCOMPARE(e.w->records().position(), 2);
    }

    // The editor stands on the newest row; the browser deletes it; a punch adds a row (which the
    // store may give the deleted row's place). The editor's "Update" and "Delete" must fail
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
        addEmployee(f.db(), "E2", "Bo", "Cruz");
        addRow(f.db(), "E1", kDay1, {"08:00:00"});
        addRow(f.db(), "E1", kToday, {"09:00:00"});
        Editor e{openEditorOn("E1", kToday), f.boxes};
        QCOMPARE(e.w->records().position(), 1);
        if (action == "edit") {
            e.press("edit");
            e.picker(1)->setTime(QTime(17, 0));
        }

        Browser b{ShowInsideConsole<Timesheets>()};
        b.chooseEmployee("E1");
        QCOMPARE(b.listed().size(), 1);
        clickRow(b.timeList(), 0);
        QTest::mouseClick(b.button("PushButton3"), Qt::LeftButton);
        QCOMPARE(b.listed().size(), 0);

        QCOMPARE(RecordPunch(f.db(), "E2"), PunchOutcome::SignedIn);
        const QStringList afterPunch = allRows(f.db());
        QCOMPARE(afterPunch, QStringList({"E1 12/07/2026 08:00:00 - - - - -", "E2 12/09/2026 10:00:00 - - - - -"}));

        f.boxes.clear();
        e.press(qPrintable(action));
        QCOMPARE(allRows(f.db()), afterPunch);
        // Silently, as every failed write of this window.
        QCOMPARE(f.boxes.boxes.size(), action == "cancel" ? 1 : 0);
    }
};

QTEST_MAIN(TestAddTime)
#include "tst_addtime.moc"
