// Start-up of the real ZarvoServer: the database is found beside the executable whatever the
// current directory, and a database that cannot be opened ends the program with the store's
// message and no console.
#include "testdb.h"
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

class TestStartup : public QObject {
    Q_OBJECT

    QTemporaryDir programDir;
    QTemporaryDir elsewhere;

    void startServer(QProcess &p)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("ZARVO_AUTO_DISMISS", "1");
        env.insert("ZARVO_PUNCH_PORT", "0");
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(elsewhere.path());
        p.start(programDir.path() + "/ZarvoServer");
        QVERIFY(p.waitForStarted());
    }

private slots:
    void init()
    {
        QFile::remove(programDir.path() + "/ZarvoServer");
        QVERIFY(QFile::copy(ZARVO_SERVER_DIR "/ZarvoServer", programDir.path() + "/ZarvoServer"));
        for (const QString &f : QDir(programDir.path()).entryList({"punched.mdb*"}))
            QFile::remove(programDir.path() + "/" + f);
    }

    void failureToOpenEndsWithTheStoreMessage_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << "none" << "unable to open database file";
        QTest::newRow("wrong password") << "other password" << "is not a database";
        QTest::newRow("not a database") << "text" << "is not a database";
    }
    void failureToOpenEndsWithTheStoreMessage()
    {
        QFETCH(QString, database);
        QFETCH(QString, message);
        const QString path = programDir.path() + "/punched.mdb";
        if (database == "other password") {
            zarvo::DatabaseSession db;
            db.create(path, "secret");
            db.execScript("CREATE TABLE admin (password TEXT)");
        } else if (database == "text") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(4096, 'x'));
        }
        // A database in the current directory must not be picked up instead.
        zarvo::test::createServerDatabase(elsewhere.path() + "/punched.mdb");
        QProcess p;
        startServer(p);
        QVERIFY(p.waitForFinished(30000));
        QVERIFY(p.exitCode() != 0);
        const QString err = QString::fromLocal8Bit(p.readAllStandardError());
        QVERIFY2(err.contains(QRegularExpression("BOX\\|Zarvo Punch Server\\|[^\\n]*" + message)), qPrintable(err));
        QVERIFY2(!err.contains("BOX|", Qt::CaseSensitive) || err.count("BOX|") == 1, qPrintable(err));
    }

    void databaseIsFoundBesideTheProgram()
    {
        for (const QString &f : QDir(elsewhere.path()).entryList({"punched.mdb*"}))
            QFile::remove(elsewhere.path() + "/" + f);
        zarvo::test::createServerDatabase(programDir.path() + "/punched.mdb");
        QProcess p;
        startServer(p);
        // The store keeps its write-ahead log beside the file it opened.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(programDir.path() + "/punched.mdb-wal"), 30000);
        QCOMPARE(p.state(), QProcess::Running);
        QVERIFY(!QFile::exists(elsewhere.path() + "/punched.mdb"));
        p.kill();
        p.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
