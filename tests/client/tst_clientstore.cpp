// client.mdb's next layout: brought up to date with a copy taken first and the server's row
// untouched, a newer file refused, the build tool keeping either version; the terminal's
// identity; the setting of the seed's behaviour.
#include "clientstore.h"
#include "database.h"
#include "settings.h"
#include "testdb.h"
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace zarvo;

namespace {
QString serverRow(DatabaseSession &db)
{
    RecordSet rs;
    rs.open(db, "Select * from server");
    return rs.recordCount() == 1 ? rs.text("ip") : QString("%1 rows").arg(rs.recordCount());
}

QByteArray digest(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256) : "missing";
}

/// A delivered client.mdb whose address was changed and which is in use (rows in its log).
QString deliveredInUse(const QTemporaryDir &dir, DatabaseSession &db)
{
    const QString path = dir.path() + "/client.mdb";
    test::createClientDatabase(path);
    db.open(path);
    RecordSet rs;
    rs.open(db, "Select * from server");
    rs.setValue("ip", "10.0.0.9");
    rs.update();
    return path;
}

int runMkdb(const QString &out, QByteArray *said = nullptr)
{
    QProcess p;
    p.start(MKDB_PATH, {"--client", out, ZARVO_CLIENT_SCHEMA_FILE});
    p.waitForFinished(30000);
    if (said)
        *said = p.readAllStandardError() + p.readAllStandardOutput();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}
} // namespace

class TestClientStore : public QObject {
    Q_OBJECT
private slots:
    void upgradeCopiesFirstAndKeepsTheServerRow()
    {
        QTemporaryDir dir;
        DatabaseSession db;
        const QString path = deliveredInUse(dir, db);
        QCOMPARE(layoutVersion(db), 0);
        const QString copyPath = ClientLayout::upgrade(db, path);
        QVERIFY2(copyPath.startsWith(dir.path() + "/backups/client-before-layout-1-"), qPrintable(copyPath));
        QCOMPARE(layoutVersion(db), 1);
        QCOMPARE(serverRow(db), QString("10.0.0.9"));
        QCOMPARE(db.countRows("pending_punch"), 0);
        // The copy is the file as it was, the log's rows included.
        DatabaseSession copy;
        copy.open(copyPath);
        QCOMPARE(layoutVersion(copy), 0);
        QCOMPARE(serverRow(copy), QString("10.0.0.9"));
        QVERIFY_THROWS_EXCEPTION(DbError, copy.countRows("pending_punch"));
        // Up to date: nothing more is done.
        QCOMPARE(ClientLayout::upgrade(db, path), QString());
    }

    void aNewerFileIsRefusedUnchanged()
    {
        QTemporaryDir dir;
        DatabaseSession db;
        const QString path = deliveredInUse(dir, db);
        db.execScript("PRAGMA user_version = 7");
        const QStringList before = QDir(dir.path()).entryList(QDir::Files);
        try {
            ClientLayout::upgrade(db, path);
            QFAIL("a newer file was upgraded");
        } catch (const DbError &e) {
            QVERIFY2(e.message().contains("newer than this program knows"), qPrintable(e.message()));
        }
        QCOMPARE(layoutVersion(db), 7);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), before);
    }

    void buildToolKeepsEitherVersionAndLaysOutTheNewest()
    {
        QTemporaryDir dir;
        const QString fresh = dir.path() + "/fresh.mdb";
        QCOMPARE(runMkdb(fresh), 0);
        {
            DatabaseSession db;
            db.open(fresh);
            QCOMPARE(layoutVersion(db), ClientLayout::newest());
            QCOMPARE(serverRow(db), QString("127.0.0.1"));
        }
        // In use at either version: left as it is, for the terminal to bring up to date.
        for (bool upgraded : {false, true}) {
            QTemporaryDir inUse;
            DatabaseSession db;
            const QString path = deliveredInUse(inUse, db);
            if (upgraded)
                ClientLayout::upgrade(db, path);
            const QByteArray file = digest(path), log = digest(path + "-wal");
            QByteArray said;
            QCOMPARE(runMkdb(path, &said), 0);
            QVERIFY2(said.contains(upgraded ? "keeping" : "in use; the terminal brings it up to 1"), said.constData());
            QCOMPARE(digest(path), file);
            QCOMPARE(digest(path + "-wal"), log);
        }
        // A layout that no version describes still fails loudly.
        QTemporaryDir odd;
        DatabaseSession db;
        const QString path = deliveredInUse(odd, db);
        db.execScript("CREATE TABLE pending_punch (x)");
        QByteArray said;
        QCOMPARE(runMkdb(path, &said), 1);
        QVERIFY2(said.contains("another layout"), said.constData());
    }

    void identityIsKeptAndMadeAnewOnAnotherComputer()
    {
        QTemporaryDir dir;
        DatabaseSession db;
        ClientLayout::upgrade(db, deliveredInUse(dir, db));
        const TerminalIdentity first = loadTerminalIdentity(db, "desk-1");
        QVERIFY(QRegularExpression("^[0-9a-f]{32}$").match(first.id).hasMatch());
        saveClockOffset(db, -1234);
        const TerminalIdentity again = loadTerminalIdentity(db, "desk-1");
        QCOMPARE(again.id, first.id);
        QCOMPARE(again.offsetMs, -1234);
        // The program folder copied to another computer: a terminal of its own.
        const TerminalIdentity copied = loadTerminalIdentity(db, "desk-2");
        QVERIFY(copied.id != first.id);
        QCOMPARE(copied.offsetMs, 0);
        QCOMPARE(db.countRows("terminal_identity"), 1);
    }

    void settingsChooseTheSeedBehaviour_data()
    {
        QTest::addColumn<QString>("ini"); // "" = no file
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("seed");
        QTest::newRow("nothing set") << "" << QStringList{"Client"} << false;
        QTest::newRow("file says so") << "[terminal]\nseed_behaviour=true\n" << QStringList{"Client"} << true;
        QTest::newRow("file says no") << "[terminal]\nseed_behaviour=false\n" << QStringList{"Client"} << false;
        QTest::newRow("other keys only") << "[terminal]\ncolour=blue\n" << QStringList{"Client"} << false;
        QTest::newRow("option") << "" << QStringList{"Client", "--seed-behaviour"} << true;
        QTest::newRow("option over the file") << "[terminal]\nseed_behaviour=false\n"
                                              << QStringList{"Client", "--seed-behaviour"} << true;
    }
    void settingsChooseTheSeedBehaviour()
    {
        QFETCH(QString, ini);
        QFETCH(QStringList, arguments);
        QFETCH(bool, seed);
        QTemporaryDir dir;
        if (!ini.isEmpty()) {
            QFile f(dir.path() + "/client.ini");
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(ini.toUtf8());
        }
        QCOMPARE(readClientSettings(dir.path(), arguments).seedBehaviour, seed);
    }
};

QTEST_GUILESS_MAIN(TestClientStore)
#include "tst_clientstore.moc"
