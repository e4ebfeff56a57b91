// Copies of the database taken while the server runs: consistent while punches go on (every
// punch acknowledged before the copy began is in it, every one is in the file), opened and
// checked before the oldest daily copies beyond 14 go, and a copy that fails says so and
// removes nothing.
#include "backups.h"
#include "serverlayout.h"
#include "clock.h"
#include "layout.h"
#include "punchrule.h"
#include "testdb.h"
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace zarvo;

namespace {

const QDate kToday(2026, 5, 20);

/// The punches of the file as "id day time", one per filled slot.
QSet<QString> punchesIn(const QString &path)
{
    DatabaseSession db;
    db.openReadOnly(path, "pluma");
    RecordSet rs;
    rs.open(db, "Select * from timesheet");
    QSet<QString> out;
    for (; !rs.eof(); rs.moveNext())
        for (const char *slot : ServerLayout::TimeSlots)
            if (rs.value(slot).isValid())
                out << rs.text("emp_id") + ' ' + rs.text("rsdate") + ' ' + rs.text(slot);
    return out;
}

void makeOldCopies(const QString &path, int days)
{
    QDir().mkpath(backupsFolderOf(path));
    for (int d = 1; d <= days; ++d)
        QVERIFY(QFile::copy(path, DatabaseBackups::dailyCopy(path, kToday.addDays(-d))));
    QVERIFY(QFile::copy(path, backupsFolderOf(path) + "/punched-before-layout-1-2026-01-01-080000.mdb"));
}

} // namespace

class TestBackups : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { Clock::clearFixed(); }

    void copyWhilePunchesGoOn()
    {
        test::ServerDb t;
        // Enough rows that the copy takes a while.
        t.db.execScript("BEGIN; WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x+1 FROM c WHERE x < 199999) "
                        "INSERT INTO timesheet SELECT 'H' || (x % 500), date('2026-01-01', '-' || (x / 500) || ' days'), "
                        "'08:00:00', '12:00:00', NULL, NULL, NULL, NULL FROM c; COMMIT;");
        for (int i = 0; i < 50; ++i)
            test::addEmployee(t.db, QString("E%1").arg(i), "F", "L");
        QSet<QString> acknowledged, beforeCopy;
        int n = 0;
        QDateTime now(kToday, QTime(6, 0));
        auto punch = [&] {
            now = now.addSecs(1);
            Clock::setFixed(now);
            const QString id = QString("E%1").arg(n++ % 50);
            if (RecordPunch(t.db, id) != PunchOutcome::DayFull)
                acknowledged << id + ' ' + dayText(now.date()) + ' ' + timeText(now.time());
        };
        for (int i = 0; i < 20; ++i)
            punch();
        beforeCopy = acknowledged;

        DatabaseBackups backups(t.path, "pluma");
        QSignalSpy copied(&backups, &DatabaseBackups::copied);
        QSignalSpy failed(&backups, &DatabaseBackups::failed);
        QTimer terminal;
        QObject::connect(&terminal, &QTimer::timeout, punch);
        terminal.start(1);
        backups.backUpNow();
        QVERIFY(backups.busy());
        QTRY_VERIFY_WITH_TIMEOUT(!copied.isEmpty() || !failed.isEmpty(), 60000);
        terminal.stop();
        QCOMPARE(failed.size(), 0);
        QVERIFY2(acknowledged.size() > beforeCopy.size(), "no punch went on while the copy was written");

        const QString copy = copied[0][0].toString();
        QCOMPARE(copy, DatabaseBackups::dailyCopy(t.path, kToday));
        // The copy opens with the key and passes the structure check; it holds every punch
        // acknowledged before it began, and the file holds every punch acknowledged at all.
        DatabaseSession c;
        c.openReadOnly(copy, "pluma");
        RecordSet check;
        check.open(c, "Select * from sqlite_master where type = 'table'");
        QVERIFY(check.recordCount() >= 9);
        const QSet<QString> inCopy = punchesIn(copy), inFile = punchesIn(t.path);
        QVERIFY((beforeCopy - inCopy).isEmpty());
        QVERIFY((acknowledged - inFile).isEmpty());
        QVERIFY(inCopy.size() >= 200000 * 2 + beforeCopy.size());
        QCOMPARE(QDir(backupsFolderOf(t.path)).entryList(QDir::Files), QStringList{QFileInfo(copy).fileName()});
    }

    void rotationKeepsTheNewest14Daily()
    {
        test::ServerDb t;
        makeOldCopies(t.path, 16);
        Clock::setFixed(QDateTime(kToday, QTime(9, 0)));
        DatabaseBackups backups(t.path, "pluma");
        QSignalSpy copied(&backups, &DatabaseBackups::copied);
        backups.backUpNow();
        QTRY_COMPARE_WITH_TIMEOUT(copied.size(), 1, 30000);
        QStringList expected{"punched-before-layout-1-2026-01-01-080000.mdb"};
        for (int d = 0; d < DatabaseBackups::KeepDaily; ++d)
            expected << QFileInfo(DatabaseBackups::dailyCopy(t.path, kToday.addDays(-d))).fileName();
        expected.sort();
        QCOMPARE(QDir(backupsFolderOf(t.path)).entryList(QDir::Files, QDir::Name), expected);
    }

    // A copy that cannot be written or does not open: the operator is told, nothing is removed.
    void aFailedCopyRemovesNothing_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::newRow("the copy cannot be written") << "unwritable";
        QTest::newRow("the file cannot be read") << "unreadable";
    }
    void aFailedCopyRemovesNothing()
    {
        QFETCH(QString, failure);
        test::ServerDb t;
        makeOldCopies(t.path, 16);
        const QStringList before = QDir(backupsFolderOf(t.path)).entryList(QDir::Files);
        Clock::setFixed(QDateTime(kToday, QTime(9, 0)));
        // Today's copy's name taken by a folder, or a wrong key: either way no copy can pass.
        if (failure == "unwritable")
            QVERIFY(QDir().mkpath(DatabaseBackups::dailyCopy(t.path, kToday) + "/x"));
        DatabaseBackups backups(t.path, failure == "unreadable" ? "wrong key" : "pluma");
        QSignalSpy failed(&backups, &DatabaseBackups::failed);
        backups.backUpNow();
        QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 1, 30000);
        const QString text = failed[0][0].toString();
        QVERIFY2(text.startsWith("The copy of the database file " + t.path + " could not be written to "
                                 + DatabaseBackups::dailyCopy(t.path, kToday) + ": "),
                 qPrintable(text));
        QVERIFY(text.contains("Punches go on being stored, and the older copies are kept."));
        QCOMPARE(QDir(backupsFolderOf(t.path)).entryList(QDir::Files), before);
        QVERIFY(!backups.busy());
    }
};

QTEST_GUILESS_MAIN(TestBackups)
#include "tst_backups.moc"
