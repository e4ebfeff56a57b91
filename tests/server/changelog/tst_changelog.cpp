// The change log: one entry per change made by hand, written with the change or not at all,
// never holding the password; its chain vouches for every entry, and an entry edited, taken
// out or moved is named by the check.
#include "changelog.h"
#include "clock.h"
#include "testdb.h"
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace zarvo;

namespace {

const QDate kDay(2026, 3, 2);

void addDay(DatabaseSession &db, const QString &id, const QString &day, const QString &in1)
{
    db.execScript(QString("INSERT INTO timesheet (emp_id, rsdate, in1) VALUES ('%1', '%2', '%3')").arg(id, day, in1));
}

QJsonObject json(const QString &text) { return QJsonDocument::fromJson(text.toUtf8()).object(); }

/// Five entries: three rows added by hand, one changed, one deleted.
void fiveEntries(DatabaseSession &db)
{
    RecordSet rs;
    rs.open(db, "Select * from timesheet");
    for (int i = 0; i < 3; ++i)
        ChangeLog::record(db, "AddTime", rs, ChangeLog::Action::Add, [&] {
            rs.addNew();
            rs.setValue("emp_id", QString("E%1").arg(i));
            rs.setValue("rsdate", "03/02/2026");
            rs.update();
        });
    ChangeLog::record(db, "AddTime", rs, ChangeLog::Action::Change, [&] {
        rs.setValue("in1", "08:00:00");
        rs.update();
    });
    ChangeLog::record(db, "Timesheets", rs, ChangeLog::Action::Delete, [&] { rs.remove(); });
}

} // namespace

class TestChangeLog : public QObject {
    Q_OBJECT
private slots:
    void init() { Clock::setFixed(QDateTime(kDay, QTime(14, 30, 5, 900))); }
    void cleanup() { Clock::clearFixed(); }

    void eachChangeWritesOneEntryWithItsValues_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("empId");
        QTest::newRow("timesheet row added") << "timesheet" << int(ChangeLog::Action::Add) << ""
                                             << "E7|2026-03-02|08:00:00" << "E7";
        QTest::newRow("timesheet row changed") << "timesheet" << int(ChangeLog::Action::Change)
                                               << "E1|2026-03-01|07:00:00" << "E7|2026-03-02|08:00:00" << "E7";
        QTest::newRow("timesheet row deleted") << "timesheet" << int(ChangeLog::Action::Delete)
                                               << "E1|2026-03-01|07:00:00" << "" << "E1";
        QTest::newRow("wage changed") << "Employee" << int(ChangeLog::Action::Change) << "E1|12.5" << "E1|14" << "E1";
        QTest::newRow("password changed") << "admin" << int(ChangeLog::Action::Change) << "(not recorded)"
                                          << "(not recorded)" << "";
    }
    void eachChangeWritesOneEntryWithItsValues()
    {
        QFETCH(QString, table);
        QFETCH(int, action);
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(QString, empId);
        test::ServerDb t;
        addDay(t.db, "E1", "2026-03-01", "07:00:00");
        test::addEmployee(t.db, "E1", "Ann", "Lee");
        t.db.execScript("UPDATE Employee SET reg_wage = 12.5");
        RecordSet rs;
        rs.open(t.db, "Select * from " + table);
        const auto a = ChangeLog::Action(action);
        ChangeLog::record(t.db, "Window", rs, a, [&] {
            if (a == ChangeLog::Action::Delete)
                return rs.remove();
            if (a == ChangeLog::Action::Add)
                rs.addNew();
            if (table == "timesheet") {
                rs.setValue("emp_id", "E7");
                rs.setValue("rsdate", "03/02/2026");
                rs.setValue("in1", "08:00:00");
            } else if (table == "Employee") {
                rs.setValue("reg_wage", "14");
            } else {
                rs.setValue("password", "s3cret");
            }
            rs.update();
        });
        const QList<ChangeLog::Entry> log = ChangeLog::entries(t.db, kDay, kDay);
        QCOMPARE(log.size(), 1);
        const ChangeLog::Entry &e = log[0];
        QCOMPARE(e.id, 1);
        QCOMPARE(e.at, QDateTime(kDay, QTime(14, 30, 5)));
        QCOMPARE(e.window, QString("Window"));
        QCOMPARE(e.action, QString(a == ChangeLog::Action::Add ? "add" : a == ChangeLog::Action::Change ? "change" : "delete"));
        QCOMPARE(e.table, table);
        QCOMPARE(e.empId, empId);
        auto shown = [&](const QString &text) {
            if (text.isEmpty())
                return QString();
            const QJsonObject o = json(text);
            if (table == "admin")
                return o["password"].toString();
            if (table == "Employee")
                return o["emp_id"].toString() + "|" + QString::number(o["reg_wage"].toDouble());
            return o["emp_id"].toString() + "|" + o["rsdate"].toString() + "|" + o["in1"].toString();
        };
        QCOMPARE(shown(e.before), before);
        QCOMPARE(shown(e.after), after);
        QVERIFY(!e.before.contains("s3cret") && !e.after.contains("s3cret"));
        QCOMPARE(e.day.isValid(), table == "timesheet");
        QVERIFY(ChangeLog::verify(t.db).intact);
        if (table == "timesheet")
            QCOMPARE(ChangeLog::describe(e), a == ChangeLog::Action::Change
                                                 ? QString("emp_id: E1 -> E7; in1: 07:00:00 -> 08:00:00; rsdate: 2026-03-01 -> 2026-03-02")
                                                 : QString("emp_id: E%1; in1: 0%2:00:00; rsdate: 2026-03-0%3")
                                                       .arg(a == ChangeLog::Action::Add ? 7 : 1)
                                                       .arg(a == ChangeLog::Action::Add ? 8 : 7)
                                                       .arg(a == ChangeLog::Action::Add ? 2 : 1));
    }

    // The change fails, or its entry cannot be written: neither is kept, and the record set
    // shows what the file holds.
    void aFailingChangeLogsNothing_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::newRow("the change is refused") << "change";
        QTest::newRow("the entry is refused") << "entry";
    }
    void aFailingChangeLogsNothing()
    {
        QFETCH(QString, failure);
        test::ServerDb t;
        addDay(t.db, "E1", "2026-03-01", "07:00:00");
        if (failure == "entry")
            t.db.execScript("CREATE TRIGGER refuse BEFORE INSERT ON change_log BEGIN SELECT RAISE(ABORT, 'disk full'); END");
        RecordSet rs;
        rs.open(t.db, "Select * from timesheet");
        for (const ChangeLog::Action a : {ChangeLog::Action::Add, ChangeLog::Action::Change, ChangeLog::Action::Delete}) {
            QVERIFY_THROWS_EXCEPTION(DbError, ChangeLog::record(t.db, "AddTime", rs, a, [&] {
                if (a == ChangeLog::Action::Delete) {
                    rs.remove();
                    if (failure == "change") // fails after the row went: it must come back
                        throw DbError("interrupted");
                    return;
                }
                if (a == ChangeLog::Action::Add)
                    rs.addNew();
                rs.setValue("in1", failure == "change" ? "not a time" : "09:00:00");
                rs.update();
            }));
            QCOMPARE(t.db.countRows("change_log"), 0);
            QCOMPARE(t.db.countRows("timesheet"), 1);
            QCOMPARE(rs.recordCount(), 1);
            QCOMPARE(rs.position(), 0);
            QCOMPARE(rs.text("in1"), QString("07:00:00"));
        }
        // The record set still writes as before.
        t.db.execScript("DROP TRIGGER IF EXISTS refuse");
        ChangeLog::record(t.db, "AddTime", rs, ChangeLog::Action::Change, [&] {
            rs.setValue("in1", "09:00:00");
            rs.update();
        });
        QCOMPARE(t.db.countRows("change_log"), 1);
    }

    void verifyNamesTheFirstEntryThatDoesNotFit_data()
    {
        QTest::addColumn<QString>("tampering");
        QTest::addColumn<qint64>("firstBad");
        QTest::addColumn<QString>("problem");
        QTest::newRow("untouched") << "" << qint64(0) << "";
        QTest::newRow("an entry edited") << "UPDATE change_log SET after_values = '{\"in1\":\"06:00:00\"}' WHERE id = 4"
                                          << qint64(4) << "entry 4 does not match its hash";
        QTest::newRow("an entry deleted") << "DELETE FROM change_log WHERE id = 2" << qint64(3)
                                          << "entry 3 follows entry 1: the entries between them are missing";
        QTest::newRow("the last entry deleted") << "DELETE FROM change_log WHERE id = 5" << qint64(5)
                                                << "the entries from 5 to 5 are missing from the end";
        QTest::newRow("a pair swapped")
            << "UPDATE change_log SET id = -2 WHERE id = 2; UPDATE change_log SET id = 2 WHERE id = 3;"
               "UPDATE change_log SET id = 3 WHERE id = -2"
            << qint64(2) << "entry 2 does not match its hash";
        QTest::newRow("renumbered after a deletion")
            << "DELETE FROM change_log WHERE id = 2; UPDATE change_log SET id = id - 1 WHERE id > 2"
            << qint64(2) << "entry 2 does not match its hash";
    }
    void verifyNamesTheFirstEntryThatDoesNotFit()
    {
        QFETCH(QString, tampering);
        QFETCH(qint64, firstBad);
        QFETCH(QString, problem);
        test::ServerDb t;
        fiveEntries(t.db);
        QCOMPARE(t.db.countRows("change_log"), 5);
        // The file itself refuses; someone with the key can still take the guard away.
        QVERIFY_THROWS_EXCEPTION(DbError, t.db.execScript("DELETE FROM change_log WHERE id = 5"));
        QVERIFY_THROWS_EXCEPTION(DbError, t.db.execScript("UPDATE change_log SET window_name = 'x'"));
        t.db.execScript("DROP TRIGGER change_log_kept; DROP TRIGGER change_log_never_deleted;" + tampering);
        const ChangeLog::Verdict v = ChangeLog::verify(t.db);
        QCOMPARE(v.intact, tampering.isEmpty());
        QCOMPARE(v.firstBad, firstBad);
        QVERIFY2(problem.isEmpty() ? v.problem.isEmpty() : v.problem.startsWith(problem), qPrintable(v.problem));
        if (tampering.isEmpty())
            QCOMPARE(v.entries, 5);
    }

    void handChangedRowsAreFoundByEmployeeAndDay()
    {
        test::ServerDb t;
        addDay(t.db, "E1", "2026-03-01", "07:00:00"); // punched, never changed by hand
        fiveEntries(t.db);                           // E0 added, E1 added, E2 added then changed then deleted
        RecordSet rs;
        rs.open(t.db, "Select * from timesheet where emp_id = 'E1' and rsdate = #03/02/2026#");
        QCOMPARE(ChangeLog::handChangedTimesheetRows(t.db, "e1", kDay.addDays(-1), kDay), QSet<qint64>{rs.bookmark()});
        QCOMPARE(ChangeLog::handChangedTimesheetRows(t.db, "E1", kDay.addDays(1), kDay.addDays(9)), QSet<qint64>{});
        QCOMPARE(ChangeLog::entries(t.db, kDay, kDay, "E2").size(), 3);
        QCOMPARE(ChangeLog::entries(t.db, kDay.addDays(1), kDay.addDays(1)).size(), 0);
    }

    void aDeliveredLayoutHasNoLogAndNothingToVerify()
    {
        QTemporaryDir dir;
        test::createDeliveredServerDatabase(dir.path() + "/punched.mdb");
        DatabaseSession db;
        db.openReadOnly(dir.path() + "/punched.mdb", "pluma");
        QVERIFY(!ChangeLog::present(db));
        QVERIFY(ChangeLog::verify(db).intact);
        QVERIFY(ChangeLog::entries(db, kDay, kDay).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestChangeLog)
#include "tst_changelog.moc"
