// ZarvoReport's commands: the CSV of each, the files, the exit statuses and their messages,
// and that the database is only read.
#include "payrollfixture.h"
#include "changelog.h"
#include "clock.h"
#include "reportcli.h"
#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace zarvo;
using namespace zarvo::test;

namespace {
struct Result {
    int status;
    QString out;
    QString err;
};
} // namespace

class TestReportCli : public QObject {
    Q_OBJECT
    ServerDb *m_t = nullptr;

    Result run(const QStringList &args)
    {
        QBuffer out, err;
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
        const int status = runReportCommand(args, m_t->path, out, err);
        return {status, QString::fromUtf8(out.data()), QString::fromUtf8(err.data())};
    }

private slots:
    void init()
    {
        m_t = new ServerDb;
        DatabaseSession &db = m_t->db;
        addWagedEmployee(db, "E1", "Ann", "Lee, Jr.", 10.0, 15.0);
        addWagedEmployee(db, "E2", "Bob", "Ray", 12.5, QVariant());
        addWagedEmployee(db, "E3", "Cy", "Dee", 20.0, 30.0);
        addPunchRow(db, "E1", QDate(2024, 1, 5), {"08:00:00", "12:00:00", "13:00:00", "18:30:00"});
        addPunchRow(db, "E1", QDate(2024, 1, 6), {"22:00:00", "02:00:00"});
        addPunchRow(db, "E2", QDate(2024, 1, 5), {"08:00:00", "17:00:00", "18:00:00"});
        addPunchRow(db, "E2", QDate(2024, 1, 6), {"08:00:00", "12:01:00"});
        addPunchRow(db, "X9", QDate(2024, 1, 7), {"08:00:00", "09:00:00"});
        addPunchRow(db, "E3", QDate(2024, 2, 1), {"08:00:00", "09:00:00"});
        // Punches a terminal kept while the server was away, set aside: one in the period.
        for (const auto &[day, time] : {std::pair{"01/05/2024", "07:30:00"}, std::pair{"02/10/2024", "09:00:00"}}) {
            RecordSet h;
            h.open(db, "Select * from held_punch");
            h.addNew();
            h.setValue("emp_id", "E1");
            h.setValue("punch_date", day);
            h.setValue("punch_time", time);
            h.setValue("terminal_id", QString(32, 'a'));
            h.setValue("terminal_name", "desk-2");
            h.setValue("address", "10.0.0.5");
            h.setValue("reason", "out of order");
            h.setValue("received_at", "2024-01-05 18:00:00");
            h.update();
        }
        // What the server's last runs left in its work tables.
        RecordSet s;
        s.open(db, "Select * from summary");
        s.addNew();
        s.setValue("emp_id", "OLD");
        s.update();
    }
    void cleanup()
    {
        // Only read: the server's work tables are as they were.
        QCOMPARE(m_t->db.countRows("summary"), 1);
        QCOMPARE(m_t->db.countRows("details"), 0);
        QCOMPARE(m_t->db.countRows("timesheet"), 6);
        delete m_t;
    }

    void commands_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err"); // a part of standard error; empty: standard error empty
        const QString sumHead = "emp_id,emp_name,work_hours,regular,ot,wage,ot_wage,reg_earnings,ot_earnings,tot_earnings\r\n";
        const QString detHead = "emp_id,rsdate,in1,out1,work_hours,regular,rsot\r\n";
        const QString excHead = "emp_id,rsdate,pair,time_in,time_out,problem,note\r\n";
        QTest::newRow("summary of every employee, in table order")
            << QStringList{"summary", "--from", "01/01/2024", "--to", "01/31/2024"} << 0
            << sumHead + "E1,\"Ann Lee, Jr.\",13.5,12,1.5,10,15,120,22.5,142.5\r\n"
                         "E2,Bob Ray,13.0167,8,5.0167,12.5,,100,0,100\r\n"
                         "E3,Cy Dee,0,0,0,20,30,0,0,0\r\n"
            << "";
        QTest::newRow("summary of named employees, in the order given, ISO dates")
            << QStringList{"summary", "--from", "2024-01-01", "--to", "2024-02-29", "--employee", "E3", "--employee", "E1"}
            << 0 << sumHead + "E3,Cy Dee,1,1,0,20,30,20,0,20\r\nE1,\"Ann Lee, Jr.\",13.5,12,1.5,10,15,120,22.5,142.5\r\n"
            << "";
        QTest::newRow("detail: one row per pair")
            << QStringList{"detail", "--from", "01/01/2024", "--to", "01/31/2024", "--employee", "E1"} << 0
            << detHead + "E1,2024-01-05,08:00:00,12:00:00,4,4,0\r\n"
                         "E1,2024-01-05,13:00:00,18:30:00,5.5,4,1.5\r\n"
                         "E1,2024-01-06,22:00:00,02:00:00,4,4,0\r\n"
            << "";
        QTest::newRow("detail stops at an incomplete pair, rows before it written")
            << QStringList{"detail", "--from", "01/01/2024", "--to", "01/31/2024", "--employee", "E2"} << 3
            << detHead + "E2,2024-01-05,08:00:00,17:00:00,9,4,5\r\n"
            << "employee E2, date 2024-01-05, pair 2";
        QTest::newRow("exceptions of everyone")
            << QStringList{"exceptions", "--from", "01/01/2024", "--to", "01/31/2024"} << 0
            << excHead + "E1,2024-01-06,1,22:00:00,02:00:00,past-midnight,\r\n"
                         "E2,,,,,no-wage,\r\n"
                         "E2,2024-01-05,2,18:00:00,,incomplete,\r\n"
                         "E1,2024-01-05,,07:30:00,,held-punch,out of order; terminal desk-2 (10.0.0.5); "
                         "received 2024-01-05 18:00:00\r\n"
                         "X9,2024-01-07,,,,unknown-employee,\r\n"
            << "";
        QTest::newRow("exceptions of a named unknown ID")
            << QStringList{"exceptions", "--from", "01/01/2024", "--to", "01/31/2024", "--employee", "X9"} << 0
            << excHead + "X9,2024-01-07,,,,unknown-employee,\r\n" << "";
        QTest::newRow("exceptions of a named employee, February")
            << QStringList{"exceptions", "--from", "02/01/2024", "--to", "02/29/2024", "--employee", "E1"} << 0
            << excHead + "E1,2024-02-10,,09:00:00,,held-punch,out of order; terminal desk-2 (10.0.0.5); "
                         "received 2024-01-05 18:00:00\r\n" << "";
        QTest::newRow("no command") << QStringList{} << 2 << "" << "usage:";
        QTest::newRow("unknown command") << QStringList{"payslips", "--from", "01/01/2024", "--to", "01/31/2024"} << 2
                                         << "" << "unknown command";
        QTest::newRow("missing --to") << QStringList{"summary", "--from", "01/01/2024"} << 2 << "" << "--to";
        QTest::newRow("not a date") << QStringList{"summary", "--from", "13/45/2024", "--to", "01/31/2024"} << 2 << ""
                                    << "not a date";
        QTest::newRow("detail without an employee")
            << QStringList{"detail", "--from", "01/01/2024", "--to", "01/31/2024"} << 2 << "" << "exactly one --employee";
        QTest::newRow("option without its value") << QStringList{"summary", "--from", "01/01/2024", "--to"} << 2 << ""
                                                  << "needs a value";
        QTest::newRow("missing database")
            << QStringList{"summary", "--from", "01/01/2024", "--to", "01/31/2024", "--database", "/nonexistent/punched.mdb"}
            << 1 << "" << "unable to open database file";
    }
    void commands()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const Result r = run(args);
        QCOMPARE(r.out, out);
        if (err.isEmpty())
            QCOMPARE(r.err, QString());
        else
            QVERIFY2(r.err.contains(err), qPrintable(r.err));
        if (status == ReportUsage)
            QVERIFY(r.err.contains("ZarvoReport summary    --from MM/DD/YYYY"));
        QCOMPARE(r.status, status);
    }

    void filesInsteadOfStandardOutput()
    {
        QTemporaryDir dir;
        const QString csv = dir.filePath("jan.csv"), xlsx = dir.filePath("jan.xlsx");
        const Result r = run({"summary", "--from", "01/01/2024", "--to", "01/31/2024", "--employee", "E3", "--csv",
                              csv, "--xlsx", xlsx});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QString());
        QFile c(csv);
        QVERIFY(c.open(QIODevice::ReadOnly));
        QCOMPARE(c.readAll().split('\n').value(1), QByteArray("E3,Cy Dee,0,0,0,20,30,0,0,0\r"));
        QFile x(xlsx);
        QVERIFY(x.open(QIODevice::ReadOnly));
        QCOMPARE(x.read(2), QByteArray("PK")); // a zip container, as .xlsx files are
        // A folder that cannot be written is reported.
        const Result bad = run({"summary", "--from", "01/01/2024", "--to", "01/31/2024", "--csv", "/nonexistent/a.csv"});
        QCOMPARE(bad.status, 1);
        QVERIFY(bad.err.contains("/nonexistent/a.csv"));
    }

    void copyTakenWhileTheServerWritesStaysAsItWas()
    {
        // The server's connection is open and its last writes are still in the log.
        addPunchRow(m_t->db, "E3", QDate(2024, 1, 9), {"08:00:00", "09:30:00"});
        QTemporaryDir dir;
        const QString copy = dir.filePath("punched.mdb");
        QVERIFY(QFile::copy(m_t->path, copy));
        QVERIFY(QFile::copy(m_t->path + "-wal", copy + "-wal"));
        QFile before(copy);
        QVERIFY(before.open(QIODevice::ReadOnly));
        const QByteArray bytes = before.readAll();
        before.close();
        const Result r = run({"summary", "--from", "01/01/2024", "--to", "01/31/2024", "--employee", "E3",
                              "--database", copy});
        QCOMPARE(r.out.split("\r\n").value(1), QString("E3,Cy Dee,1.5,1.5,0,20,30,30,0,30"));
        QFile after(copy);
        QVERIFY(after.open(QIODevice::ReadOnly));
        QVERIFY(after.readAll() == bytes);
        QVERIFY(QFile::exists(copy + "-wal"));
        m_t->db.execScript("DELETE FROM timesheet WHERE rsdate = '2024-01-09'");
    }

    void neverWritesOverTheDatabase()
    {
        const Result r = run({"summary", "--from", "01/01/2024", "--to", "01/31/2024", "--csv", m_t->path});
        QCOMPARE(r.status, 2);
        QVERIFY(r.err.contains("refusing to write over the database"));
        QCOMPARE(m_t->db.countRows("Employee"), 3);
    }

    // The change log: its entries by day and employee, the exceptions count the rows changed by
    // hand, and verify vouches for the chain or names the first entry that does not fit.
    void changeLogCommands()
    {
        Clock::setFixed(QDateTime(QDate(2024, 1, 10), QTime(9, 0)));
        RecordSet rs;
        rs.open(m_t->db, "Select * from timesheet where emp_id = 'E1' and rsdate = #01/05/2024#");
        ChangeLog::record(m_t->db, "AddTime", rs, ChangeLog::Action::Change, [&] {
            rs.setValue("in1", "07:45:00");
            rs.update();
        });
        Clock::clearFixed();
        const QStringList period{"--from", "01/01/2024", "--to", "01/31/2024"};
        Result r = run(QStringList{"exceptions", "--employee", "E1"} + period);
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.contains("E1,2024-01-05,,,,changed-by-hand,\r\n"), qPrintable(r.out));
        r = run(QStringList{"audit", "--from", "2024-01-10", "--to", "2024-01-10"});
        QCOMPARE(r.status, 0);
        const QStringList lines = r.out.split("\r\n", Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], QString("entry,changed_at,window,action,table,row,emp_id,day,before,after,hash"));
        QVERIFY2(lines[1].startsWith("1,2024-01-10T09:00:00,AddTime,change,timesheet,1,E1,2024-01-05,"), qPrintable(lines[1]));
        QCOMPARE(run(QStringList{"audit", "--employee", "E2"} + period).out.count("\r\n"), 1);
        QCOMPARE(run(QStringList{"audit", "--from", "2024-01-11", "--to", "2024-01-31"}).out.count("\r\n"), 1);
        r = run({"verify"});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.startsWith("The change log of " + m_t->path + " is intact: 1 entries, last hash "), qPrintable(r.out));
        QCOMPARE(run({"verify", "--from", "01/01/2024"}).status, 2);
        m_t->db.execScript("DROP TRIGGER change_log_kept; UPDATE change_log SET after_values = '{}'");
        r = run({"verify"});
        QCOMPARE(r.status, 4);
        QVERIFY2(r.err.contains("is broken: entry 1 does not match its hash"), qPrintable(r.err));
    }
};

QTEST_GUILESS_MAIN(TestReportCli)
#include "tst_reportcli.moc"
