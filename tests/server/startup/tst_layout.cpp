// Layout versions: a database of the delivered layout, with rows, is brought up to date in
// place by the server's start and by the build's database step, every row kept and a copy
// taken first; an upgrade that fails leaves the file as it was, byte for byte; a file newer
// than the programs know is refused by each of them and left as it is.
#include "layout.h"
#include "programs.h"
#include "serverlayout.h"
#include "testdb.h"
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace zarvo;

namespace {

const QStringList kDeliveredTables{"Employee", "timesheet", "Terminal", "admin", "Company", "details", "summary"};

QByteArray digest(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "missing";
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

/// Every row of the delivered tables with its rowid, as text.
QStringList dump(const QString &path)
{
    DatabaseSession db;
    db.open(path, "pluma"); // (a reader alone would leave the write-ahead log behind)
    QStringList out;
    for (const QString &t : kDeliveredTables) {
        RecordSet rs;
        rs.open(db, "Select * from " + t);
        for (; !rs.eof(); rs.moveNext()) {
            QString line = t + '|' + QString::number(rs.bookmark());
            for (const QString &f : rs.fieldNames())
                line += '|' + rs.text(f);
            out << line;
        }
    }
    return out;
}

int versionOf(const QString &path)
{
    DatabaseSession db;
    db.open(path, "pluma");
    return layoutVersion(db);
}

/// A database as users have it today: the delivered layout, with rows in every kind of table.
void makeDeliveredFileWithRows(const QString &path)
{
    test::createDeliveredServerDatabase(path);
    DatabaseSession db;
    db.open(path, "pluma");
    db.execScript("BEGIN");
    for (int e = 0; e < 20; ++e) {
        test::addEmployee(db, QString("E%1").arg(e), "First", QString("O'Last %1").arg(e));
        for (int d = 0; d < 30; ++d)
            db.execScript(QString("INSERT INTO timesheet VALUES ('E%1', '2026-01-%2', '08:00:00', '12:00:00', "
                                  "'13:00:00', NULL, NULL, NULL)")
                              .arg(e)
                              .arg(d + 1, 2, 10, QChar('0')));
    }
    db.execScript("UPDATE admin SET password = 'changed'; INSERT INTO Terminal VALUES ('10.0.0.7');"
                  "INSERT INTO Company (biztitle, logo) VALUES ('Zarvo Ltd', '/logo.png');"
                  "UPDATE Employee SET reg_wage = 12.5, ot_wage = 18.75, emp_dob = '1990-02-03';"
                  "COMMIT");
}

QProcessEnvironment environment()
{
    QProcessEnvironment env = test::headlessEnvironment();
    env.insert("ZARVO_PUNCH_PORT", "0");
    return env;
}

QStringList backupsOf(const QString &path)
{
    return QDir(backupsFolderOf(path)).entryList(QDir::Files);
}

int run(const QString &program, const QStringList &args, QByteArray *said)
{
    QProcess p;
    p.setProcessEnvironment(environment());
    p.start(program, args);
    if (!p.waitForFinished(60000))
        return -1;
    *said = p.readAllStandardError() + p.readAllStandardOutput();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

} // namespace

class TestLayout : public QObject {
    Q_OBJECT
private slots:
    // The server's start and the build's step both upgrade; the result is the same.
    void deliveredFileIsUpgradedWithEveryRow_data()
    {
        QTest::addColumn<QString>("by");
        QTest::newRow("server start") << "ZarvoServer";
        QTest::newRow("build step") << "mkdb";
    }
    void deliveredFileIsUpgradedWithEveryRow()
    {
        QFETCH(QString, by);
        QTemporaryDir dir;
        QVERIFY(test::copyProgramFolder(ZARVO_SERVER_DIR, dir.path()));
        const QString path = dir.path() + "/punched.mdb";
        QFile::remove(path);
        makeDeliveredFileWithRows(path);
        const QStringList rows = dump(path);
        QCOMPARE(rows.size(), 20 + 600 + 1 + 1 + 1);
        QVERIFY(!QFile::exists(path + "-wal"));

        if (by == "mkdb") {
            QByteArray said;
            QCOMPARE(run(MKDB_PATH, {"--server", path, ZARVO_SCHEMA_FILE, "pluma"}, &said), 0);
            QVERIFY2(said.contains("from layout version 0 to 1"), said.constData());
        } else {
            QProcess p;
            p.setProcessEnvironment(environment());
            p.start(dir.path() + "/ZarvoServer");
            QVERIFY(p.waitForStarted());
            QString log;
            QElapsedTimer t;
            t.start();
            while (!log.contains("ZARVO-LISTENING") && t.elapsed() < 30000 && p.state() == QProcess::Running) {
                p.waitForReadyRead(100);
                log += QString::fromLocal8Bit(p.readAllStandardError());
            }
            QVERIFY2(log.contains("ZARVO-LISTENING"), qPrintable(log));
            p.terminate();
            QVERIFY(p.waitForFinished(20000));
        }
        QCOMPARE(versionOf(path), ServerLayout::newest());
        QCOMPARE(dump(path), rows);
        DatabaseSession db;
        db.open(path, "pluma");
        QCOMPARE(db.countRows("change_log"), 0);
        QCOMPARE(db.countRows("held_punch"), 0);
        // The copy taken first: the old layout, every row, the same key.
        // (The server also writes its copy of the day when it starts.)
        const QStringList copies = backupsOf(path).filter("before-layout");
        QCOMPARE(copies.size(), 1);
        QVERIFY2(QRegularExpression("^punched-before-layout-1-\\d{4}-\\d\\d-\\d\\d-\\d{6}\\.mdb$")
                     .match(copies[0]).hasMatch(), qPrintable(copies[0]));
        const QString copy = backupsFolderOf(path) + "/" + copies[0];
        QCOMPARE(versionOf(copy), 0);
        QCOMPARE(dump(copy), rows);
    }

    // A step that fails half-way, and a copy that cannot be made: the file is as it was.
    void failedUpgradeLeavesTheFileAsItWas_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("message");
        QTest::newRow("second statement fails") << "step" << "a copy taken before the attempt is ";
        QTest::newRow("no copy can be made") << "copy" << "no copy of it could be made first";
    }
    void failedUpgradeLeavesTheFileAsItWas()
    {
        QFETCH(QString, failure);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.path() + "/punched.mdb";
        makeDeliveredFileWithRows(path);
        const QByteArray before = digest(path);
        QList<LayoutStep> steps = ServerLayout::steps();
        if (failure == "step")
            steps.append({2, "CREATE TABLE extra (x TEXT); CREATE TABLE Employee (y TEXT);"});
        else
            QVERIFY(QFile(backupsFolderOf(path)).open(QIODevice::WriteOnly)); // a file where the folder goes
        {
            DatabaseSession db;
            db.open(path, "pluma");
            try {
                upgradeLayout(db, path, "pluma", steps, QDateTime(QDate(2026, 3, 2), QTime(9, 0)));
                QFAIL("the upgrade should have failed");
            } catch (const DbError &e) {
                QVERIFY2(e.message().startsWith("The database file " + path + " could not be brought up to layout "
                                                "version "), qPrintable(e.message()));
                QVERIFY2(e.message().contains(message), qPrintable(e.message()));
                QVERIFY(e.message().contains("It was left exactly as it was"));
                if (failure == "step")
                    QVERIFY(e.message().contains(backupsFolderOf(path) + "/punched-before-layout-2-2026-03-02-090000.mdb"));
            }
            QCOMPARE(layoutVersion(db), 0);
        }
        QCOMPARE(digest(path), before);
        QVERIFY(!QFile::exists(path + "-wal"));
    }

    // Each program refuses a file of a later layout, and none of them changes it.
    void newerLayoutIsRefused_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("server start") << "ZarvoServer" << 1;
        QTest::newRow("build step") << "mkdb" << 1;
        QTest::newRow("payroll export") << "ZarvoReport" << 1;
    }
    void newerLayoutIsRefused()
    {
        QFETCH(QString, program);
        QFETCH(int, exitCode);
        QTemporaryDir dir;
        QVERIFY(test::copyProgramFolder(ZARVO_SERVER_DIR, dir.path()));
        const QString path = dir.path() + "/punched.mdb";
        QFile::remove(path);
        test::createServerDatabase(path);
        {
            DatabaseSession db;
            db.open(path, "pluma");
            db.execScript(QString("CREATE TABLE later (x); PRAGMA user_version = %1").arg(ServerLayout::newest() + 1));
        }
        const QByteArray before = digest(path);
        QByteArray said;
        const int rc = program == "mkdb" ? run(MKDB_PATH, {"--server", path, ZARVO_SCHEMA_FILE, "pluma"}, &said)
                       : program == "ZarvoReport"
                           ? run(dir.path() + "/ZarvoReport", {"exceptions", "--from", "01/01/2026", "--to", "01/31/2026"}, &said)
                           : run(dir.path() + "/ZarvoServer", {}, &said);
        QCOMPARE(rc, exitCode);
        const QString expected = QString("%1 has layout version %2, newer than this program knows (%3)")
                                     .arg(path)
                                     .arg(ServerLayout::newest() + 1)
                                     .arg(ServerLayout::newest());
        QVERIFY2(QString::fromLocal8Bit(said).contains(expected), said.constData());
        if (program == "ZarvoServer")
            QVERIFY2(said.contains("BOX|Zarvo Punch Server|"), said.constData());
        QCOMPARE(digest(path), before);
        QVERIFY(!QFile::exists(backupsFolderOf(path)));
    }

    // A file still in use is left to the server; one of the newest layout is kept as it is.
    void buildStepLeavesAFileInUseToTheServer()
    {
        QTemporaryDir dir;
        const QString path = dir.path() + "/punched.mdb";
        makeDeliveredFileWithRows(path);
        DatabaseSession live;
        live.open(path, "pluma");
        test::addEmployee(live, "E99", "Ann", "Lee");
        const QByteArray file = digest(path), log = digest(path + "-wal");
        QByteArray said;
        QCOMPARE(run(MKDB_PATH, {"--server", path, ZARVO_SCHEMA_FILE, "pluma"}, &said), 0);
        QVERIFY2(said.contains("in use; the server brings it up to 1 when it starts"), said.constData());
        QCOMPARE(digest(path), file);
        QCOMPARE(digest(path + "-wal"), log);
        QCOMPARE(layoutVersion(live), 0);
    }
};

QTEST_GUILESS_MAIN(TestLayout)
#include "tst_layout.moc"
