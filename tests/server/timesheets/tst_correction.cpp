// A correction in the time record editor never costs a punch: the slots the administrator left
// alone stay free for the punch rule, the day's hours are the ones worked, and a row written
// back unchanged is the row that was there, to the byte.

#include "payrolldata.h"
#include "punchrule.h"
#include "tsfixture.h"

using namespace zarvo;
using namespace zarvo::test;

namespace {
/// Every timesheet row in table order, each column exactly as stored (its SQL literal).
QStringList storedRows(DatabaseSession &db)
{
    RecordSet rs;
    rs.open(db, "Select _rowid_ as r, quote(emp_id) as a, quote(rsdate) as b, quote(in1) as c, quote(out1) as d, "
                "quote(in2) as e, quote(out2) as f, quote(in3) as g, quote(out3) as h from timesheet");
    QStringList out;
    for (; !rs.eof(); rs.moveNext()) {
        QStringList cells;
        for (const QString &field : rs.fieldNames())
            cells << rs.text(field);
        out << cells.join(' ');
    }
    return out;
}
} // namespace

class TestCorrection : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { Clock::clearFixed(); }

    // Signed in at 08:00, the row corrected at 10:00 (In 1 to 07:58), signed out at 17:00.
    void aCorrectedDayTakesTheNextPunchAndPaysTheHoursWorked()
    {
        WindowFixture f;
        addEmployee(f.db(), "E1", "Ann", "Lee");
        Clock::setFixed(QDateTime(kToday, QTime(8, 0)));
        QCOMPARE(RecordPunch(f.db(), "E1"), PunchOutcome::SignedIn);

        Clock::setFixed(QDateTime(kToday, QTime(10, 0)));
        Timesheets *browser = browse("E1", kToday, kToday);
        clickRow(ctl<QTreeView>(browser, "TimeList"), 0);
        press(browser, f.boxes, "PushButton2");
        auto *editor = findInsideConsole<AddTime>();
        QVERIFY(editor);
        QCOMPARE(pickerTimes(editor), QString("08:00:00 - - - - -"));
        press(editor, f.boxes, "edit");
        typeInto(ctl<QTimeEdit>(editor, "In1"), "075800AM");
        renderToPng(editor, "addtime.png");
        press(editor, f.boxes, "edit");
        QCOMPARE(pickerTimes(editor), QString("07:58:00 - - - - -"));
        QCOMPARE(allRows(f.db()), QStringList{"E1 12/09/2026 07:58:00 - - - - -"});

        Clock::setFixed(QDateTime(kToday, QTime(17, 0)));
        QCOMPARE(RecordPunch(f.db(), "E1"), PunchOutcome::SignedOut);
        QCOMPARE(allRows(f.db()), QStringList{"E1 12/09/2026 07:58:00 17:00:00 - - - -"});
        QVERIFY(f.boxes.boxes.isEmpty());

        // 07:58 to 17:00 is 9 hours 2 minutes: 4 regular, 5.0333 overtime.
        f.db().execScript("UPDATE Employee SET reg_wage = 10, ot_wage = 15");
        const SummaryRow pay = computeSummary(f.db(), "E1", {kToday, kToday});
        QCOMPARE(pay.totals.work, 9.0333);
        QCOMPARE(pay.totals.regular, 4.0);
        QCOMPARE(pay.totals.overtime, 5.0333);
        QCOMPARE(pay.earnings.total, 40 + 5.0333 * 15);
    }

    // Edit, then Update without a change: every column keeps its stored bytes, Null included.
    void updateWithoutChangesKeepsTheRowByteForByte_data()
    {
        QTest::addColumn<QString>("values"); // the row's SQL values after the key columns
        QTest::newRow("a missing in1 before a time-out") << "NULL, '12:00:00', NULL, NULL, NULL, NULL";
        QTest::newRow("midnights written by an older editor") << "'08:00:00', '00:00:00', '00:00:00', NULL, NULL, NULL";
        QTest::newRow("an empty text and a text that is no time") << "'', 'late', '13:00:00', NULL, NULL, NULL";
    }
    void updateWithoutChangesKeepsTheRowByteForByte()
    {
        QFETCH(QString, values);
        WindowFixture f;
        addRow(f.db(), "E0", kDay1, {"07:00:00"});
        f.db().execScript("INSERT INTO timesheet VALUES ('E1', '2026-12-07', " + values + ")");
        const QStringList before = storedRows(f.db());
        AddTime *editor = openEditorOn("E1", kDay1);
        QCOMPARE(editor->records().position(), 1);
        press(editor, f.boxes, "edit");
        press(editor, f.boxes, "edit");
        QCOMPARE(ctl<QPushButton>(editor, "edit")->text(), QString("Edit")); // the step went through
        QCOMPARE(storedRows(f.db()), before);
        QVERIFY(f.boxes.boxes.isEmpty());
    }
};

QTEST_MAIN(TestCorrection)
#include "tst_correction.moc"
