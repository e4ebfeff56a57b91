// The step that lays out the delivered databases runs on every build and install, over
// program folders whose database may be in use: it creates a file only where none exists and
// never touches one that does, whatever it holds.
#include "database.h"
#include "testdb.h"
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace zarvo;

namespace {
QByteArray digest(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "missing";
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

int runMkdb(const QString &out, const QString &schema, QByteArray *messages = nullptr)
{
    QProcess p;
    p.start(MKDB_PATH, {"--server", out, schema, "pluma"});
    p.waitForFinished(30000);
    if (messages)
        *messages = p.readAllStandardError();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}
} // namespace

class TestMkdb : public QObject {
    Q_OBJECT
private slots:
    void laysOutAFreshFileWhereNoneExists()
    {
        QTemporaryDir dir;
        const QString out = dir.path() + "/punched.mdb";
        QCOMPARE(runMkdb(out, ZARVO_SCHEMA_FILE), 0);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"punched.mdb"});
        QCOMPARE(runMkdb(out, ZARVO_SCHEMA_FILE), 0); // the next build keeps it, and adds nothing
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"punched.mdb"});
        DatabaseSession db;
        db.open(out, "pluma");
        RecordSet admin;
        admin.open(db, "Select * from admin");
        QCOMPARE(admin.text("password"), QString("admin"));
    }

    // A database in use: rows still in its write-ahead log, the server's connection open.
    void keepsADatabaseInUseWithItsLog()
    {
        QTemporaryDir dir;
        const QString out = dir.path() + "/punched.mdb";
        test::createServerDatabase(out);
        DatabaseSession live;
        live.open(out, "pluma");
        test::addEmployee(live, "E1", "Ann", "Lee");
        QVERIFY(QFile::exists(out + "-wal"));
        const QByteArray file = digest(out), log = digest(out + "-wal");

        QCOMPARE(runMkdb(out, ZARVO_SCHEMA_FILE), 0);
        QCOMPARE(digest(out), file);
        QCOMPARE(digest(out + "-wal"), log);
        QCOMPARE(live.countRows("Employee"), 1);
    }

    // The same after the server stopped abruptly: the log alone holds the row.
    void keepsTheLogLeftByAStoppedServer()
    {
        QTemporaryDir running, copy;
        test::createServerDatabase(running.path() + "/punched.mdb");
        DatabaseSession live;
        live.open(running.path() + "/punched.mdb", "pluma");
        test::addEmployee(live, "E1", "Ann", "Lee");
        const QString out = copy.path() + "/punched.mdb";
        for (const char *suffix : {"", "-wal"})
            QVERIFY(QFile::copy(running.path() + "/punched.mdb" + suffix, out + suffix));
        const QByteArray log = digest(out + "-wal");

        QCOMPARE(runMkdb(out, ZARVO_SCHEMA_FILE), 0);
        QCOMPARE(digest(out + "-wal"), log);
        DatabaseSession db;
        db.open(out, "pluma");
        QCOMPARE(db.countRows("Employee"), 1);
    }

    void refusesLoudlyAndLeavesTheFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("another layout") << "layout" << "another layout";
        QTest::newRow("another password") << "password" << "cannot be read";
        QTest::newRow("a log without its file") << "stray log" << "without";
    }
    void refusesLoudlyAndLeavesTheFile()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString out = dir.path() + "/punched.mdb";
        if (kind == "layout") {
            test::createServerDatabase(out);
            DatabaseSession db;
            db.open(out, "pluma");
            db.execScript("ALTER TABLE Employee ADD COLUMN emp_badge TEXT");
        } else if (kind == "password") {
            DatabaseSession db;
            db.create(out, "other");
            db.execScript("CREATE TABLE t (x)");
        } else {
            QFile log(out + "-wal");
            QVERIFY(log.open(QIODevice::WriteOnly));
            log.write(QByteArray(4096, 'w'));
        }
        const QStringList before = QDir(dir.path()).entryList(QDir::Files);
        const QByteArray file = digest(out), log = digest(out + "-wal");
        QByteArray said;
        QCOMPARE(runMkdb(out, ZARVO_SCHEMA_FILE, &said), 1);
        QVERIFY2(said.contains(message.toUtf8()), said.constData());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), before);
        QCOMPARE(digest(out), file);
        QCOMPARE(digest(out + "-wal"), log);
    }
};

QTEST_GUILESS_MAIN(TestMkdb)
#include "tst_mkdb.moc"
