// Replayed punches by the replay rule: written at the moment typed, in that day's row, exactly
// once; never forced out of order or into a full day (set aside in held_punch instead).
#include "changelog.h"
#include "serverlayout.h"
#include "clock.h"
#include "heldtable.h"
#include "punchreplay.h"
#include "testdb.h"
#include <QTemporaryDir>
#include <QTest>

using namespace zarvo;

namespace {
const QDate kDay(2026, 12, 9);
const QDateTime kReceived(kDay, QTime(18, 0));
using ServerLayout::TimeSlots;

/// The employee's rows as "slot,slot,...|slot,..." (an empty slot as nothing).
QString rowsOf(DatabaseSession &db, const QString &id)
{
    RecordSet rs;
    rs.open(db, "Select * from timesheet where emp_id = ?", {id});
    QStringList rows;
    for (; !rs.eof(); rs.moveNext()) {
        QStringList cells;
        for (const char *f : TimeSlots)
            cells << (rs.value(f).isValid() ? rs.value(f).toTime().toString("HH:mm:ss") : QString());
        rows << rs.value("rsdate").toDate().toString("MM/dd") + ' ' + cells.join(',');
    }
    return rows.join('|');
}
} // namespace

class TestPunchReplay : public QObject {
    Q_OBJECT
private slots:
    // "Now" is another day: the replay's day is the one it was typed on.
    void init() { Clock::setFixed(QDateTime(kDay.addDays(5), QTime(10, 0))); }
    void cleanup() { Clock::clearFixed(); }

    void replays_data()
    {
        QTest::addColumn<QString>("before"); // the day's six slots, "" = no row
        QTest::addColumn<QString>("id");
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("held");
        const auto at = [](int h, int m, int s = 0) { return QDateTime(kDay, QTime(h, m, s)); };
        QTest::newRow("no row: signed in") << "" << "E1" << at(8, 0, 5) << "RIN" << "12/09 08:00:05,,,,," << "";
        QTest::newRow("next slot: signed out") << "08:00:00,,,,," << "E1" << at(12, 0) << "OUT"
                                               << "12/09 08:00:00,12:00:00,,,," << "";
        QTest::newRow("the same time: duplicate") << "08:00:00,12:00:00,,,," << "E1" << at(12, 0) << "DUP"
                                                  << "12/09 08:00:00,12:00:00,,,," << "";
        QTest::newRow("two seconds off: duplicate") << "08:00:00,,,,," << "E1" << at(7, 59, 58) << "DUP"
                                                    << "12/09 08:00:00,,,,," << "";
        QTest::newRow("three seconds off: a punch") << "08:00:00,,,,," << "E1" << at(8, 0, 3) << "OUT"
                                                    << "12/09 08:00:00,08:00:03,,,," << "";
        QTest::newRow("a later time held already") << "09:00:00,,,,," << "E1" << at(8, 30) << "HELD"
                                                   << "12/09 09:00:00,,,,," << "E1 12/09/2026 08:30:00 out of order";
        QTest::newRow("free slot before a later one") << ",17:00:00,,,," << "E1" << at(8, 0) << "RIN"
                                                      << "12/09 08:00:00,17:00:00,,,," << "";
        QTest::newRow("free slot before an earlier one") << ",07:00:00,,,," << "E1" << at(8, 0) << "HELD"
                                                         << "12/09 ,07:00:00,,,," << "E1 12/09/2026 08:00:00 out of order";
        QTest::newRow("editor's 00:00:00 is a taken slot") << "08:00:00,00:00:00,,,," << "E1" << at(12, 0) << "RIN"
                                                           << "12/09 08:00:00,00:00:00,12:00:00,,," << "";
        QTest::newRow("day full") << "06:00:00,07:00:00,08:00:00,09:00:00,10:00:00,11:00:00" << "E1" << at(17, 30)
                                  << "HELD" << "12/09 06:00:00,07:00:00,08:00:00,09:00:00,10:00:00,11:00:00"
                                  << "E1 12/09/2026 17:30:00 day full";
        QTest::newRow("no such employee") << "" << "E9" << at(8, 0) << "NRF" << "" << "";
        QTest::newRow("letter case differs") << "" << "e1" << at(8, 0) << "NRF" << "" << "";
        QTest::newRow("after the server's time") << "" << "E1" << kReceived.addSecs(6 * 60) << "HELD" << ""
                                                 << "E1 12/09/2026 18:06:00 time out of range";
        QTest::newRow("just before the server's time") << "" << "E1" << kReceived.addSecs(4 * 60) << "RIN"
                                                       << "12/09 18:04:00,,,,," << "";
        QTest::newRow("months ago") << "" << "E1" << kReceived.addDays(-90) << "HELD" << ""
                                    << "E1 09/10/2026 18:00:00 time out of range";
    }
    void replays()
    {
        QFETCH(QString, before);
        QFETCH(QString, id);
        QFETCH(QDateTime, when);
        QFETCH(QString, result);
        QFETCH(QString, after);
        QFETCH(QString, held);
        test::ServerDb t;
        test::addEmployee(t.db, "E1", "Ann", "Lee");
        if (!before.isEmpty()) {
            RecordSet rs;
            rs.open(t.db, "Select * from timesheet");
            rs.addNew();
            rs.setValue("emp_id", "E1");
            rs.setValue("rsdate", dayText(kDay));
            const QStringList cells = before.split(',');
            for (int i = 0; i < 6; ++i)
                if (!cells[i].isEmpty())
                    rs.setValue(TimeSlots[i], cells[i]);
            rs.update();
        }
        const ReplayAnswer a = answerReplay(t.db, id, when, {"0123", "desk-2", "10.0.0.5"}, kReceived);
        QCOMPARE(a.result, result);
        QCOMPARE(a.name, result == "NRF" ? QString() : QString("Ann Lee"));
        QCOMPARE(rowsOf(t.db, "E1"), after);
        QCOMPARE(punchtest::heldPunches(t.db).join('\n'), held);
        QCOMPARE(a.heldReason.isEmpty(), held.isEmpty());
        QCOMPARE(t.db.countRows("timesheet"), after.isEmpty() ? 0 : 1);
    }

    void aReplayComingAgainIsHeldOnce()
    {
        test::ServerDb t;
        test::addEmployee(t.db, "E1", "Ann", "Lee");
        const QDateTime nine(kDay, QTime(9, 0)), eight(kDay, QTime(8, 0));
        QCOMPARE(answerReplay(t.db, "E1", nine, {}, kReceived).result, QString("RIN"));
        const ReplayAnswer first = answerReplay(t.db, "E1", eight, {"abc", "desk-2", "10.0.0.5"}, kReceived);
        const ReplayAnswer again = answerReplay(t.db, "E1", eight, {"abc", "desk-2", "10.0.0.5"}, kReceived);
        QCOMPARE(first.result, QString("HELD"));
        QCOMPARE(again.result, QString("HELD"));
        QCOMPARE(first.heldReason, QString("out of order"));
        QVERIFY(again.heldReason.isEmpty()); // nothing new for the operator
        QCOMPARE(t.db.countRows("held_punch"), 1);
        RecordSet rs;
        rs.open(t.db, "Select * from held_punch");
        QCOMPARE(rs.text("terminal_id"), QString("abc"));
        QCOMPARE(rs.text("terminal_name"), QString("desk-2"));
        QCOMPARE(rs.text("address"), QString("10.0.0.5"));
        QCOMPARE(rs.text("received_at"), QString("2026-12-09 18:00:00"));
        // Set aside once, logged once: who, which day, from which terminal.
        const QList<ChangeLog::Entry> log = ChangeLog::entries(t.db, kDay.addDays(5), kDay.addDays(5));
        QCOMPARE(log.size(), 1);
        QCOMPARE(log[0].window + ' ' + log[0].action + ' ' + log[0].table + ' ' + log[0].empId,
                 QString("Punch Server add held_punch E1"));
        QCOMPARE(log[0].day, kDay);
        QVERIFY(log[0].after.contains("\"terminal_name\":\"desk-2\""));
    }

    void withoutTheHeldListNothingIsAcknowledged()
    {
        // A file of the delivered layout (without the held list, as a server whose upgrade was
        // not done): the store refuses, so the terminal is told nothing and keeps the punch;
        // nothing is written into the day either.
        QTemporaryDir dir;
        test::createDeliveredServerDatabase(dir.path() + "/punched.mdb");
        struct { DatabaseSession db; } t;
        t.db.open(dir.path() + "/punched.mdb", "pluma");
        test::addEmployee(t.db, "E1", "Ann", "Lee");
        QCOMPARE(answerReplay(t.db, "E1", QDateTime(kDay, QTime(9, 0)), {}, kReceived).result, QString("RIN"));
        QVERIFY_THROWS_EXCEPTION(DbError, answerReplay(t.db, "E1", QDateTime(kDay, QTime(8, 0)), {}, kReceived));
        QCOMPARE(rowsOf(t.db, "E1"), QString("12/09 09:00:00,,,,,"));
    }
};

QTEST_GUILESS_MAIN(TestPunchReplay)
#include "tst_punchreplay.moc"
