// Start-up of the real ZarvoServer: the database is found beside the executable whatever the
// current directory, and a database that cannot be opened ends the program with the store's
// message and no console.
#include "storecheck.h"
#include "testdb.h"
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTcpSocket>
#include <QTest>
#include <csignal>

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
        QTest::newRow("empty file") << "empty" << "punched.mdb is empty: it holds none of the program's tables";
        QTest::newRow("lacks the tables") << "no tables"
                                          << "punched.mdb lacks the program's tables: Employee, timesheet, Terminal, "
                                             "Company, details, summary.";
        QTest::newRow("immutable file") << "immutable" << "punched.mdb cannot be written";
        QTest::newRow("damaged page") << "damaged" << "punched.mdb is damaged: ";
        QTest::newRow("cut off") << "cut off" << "(punched.mdb is damaged|malformed \\(\\S+punched.mdb)";
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
        } else if (database == "empty") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
        } else if (database == "no tables") {
            zarvo::DatabaseSession db;
            db.create(path, "pluma");
            db.execScript("CREATE TABLE admin (password TEXT)");
        } else if (database != "none") {
            zarvo::test::createServerDatabase(path);
            {
                zarvo::DatabaseSession db;
                db.open(path, "pluma");
                db.execScript("BEGIN");
                for (int i = 0; i < 3000; ++i)
                    zarvo::test::addEmployee(db, QString("E%1").arg(i), "First name", "Last name");
                db.execScript("COMMIT");
            }
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite));
            if (database == "damaged") {
                // Garbage across the middle of a page holding employees.
                f.seek((f.size() / 4096 / 2) * 4096 + 1000);
                f.write(QByteArray(700, '\x5a'));
            } else if (database == "cut off") {
                f.resize(f.size() / 2);
            } else if (database == "immutable") {
                if (QProcess::execute("chattr", {"+i", path}) != 0)
                    QSKIP("this file system or user cannot make files immutable");
            }
        }
        // A database in the current directory must not be picked up instead.
        zarvo::test::createServerDatabase(elsewhere.path() + "/punched.mdb");
        QProcess p;
        startServer(p);
        const bool finished = p.waitForFinished(30000);
        if (database == "immutable")
            QProcess::execute("chattr", {"-i", path});
        QVERIFY(finished);
        QVERIFY(p.exitCode() != 0);
        const QString err = QString::fromLocal8Bit(p.readAllStandardError());
        QVERIFY2(err.contains(QRegularExpression("BOX\\|Zarvo Punch Server\\|[^\\n]*" + message)), qPrintable(err));
        // A failure box: the exclamation icon.
        QVERIFY2(err.contains(QRegularExpression("BOX\\|Zarvo Punch Server\\|[^\\n]*\\|exclamation\\n")), qPrintable(err));
        QVERIFY2(!err.contains("BOX|", Qt::CaseSensitive) || err.count("BOX|") == 1, qPrintable(err));
    }

    void checkAfterStartFindsWhatTheQuickLookMissed_data()
    {
        QTest::addColumn<bool>("damage");
        QTest::newRow("sound file") << false;
        QTest::newRow("damaged page") << true;
    }
    void checkAfterStartFindsWhatTheQuickLookMissed()
    {
        QFETCH(bool, damage);
        zarvo::test::ServerDb t;
        t.db.execScript("BEGIN");
        for (int i = 0; i < 3000; ++i)
            zarvo::test::addEmployee(t.db, QString("E%1").arg(i), "First name", "Last name");
        t.db.execScript("COMMIT");
        t.db.close();
        if (damage) {
            QFile f(t.path);
            QVERIFY(f.open(QIODevice::ReadWrite));
            f.seek((f.size() / 4096 / 2) * 4096 + 1000);
            f.write(QByteArray(700, '\x5a'));
        }
        t.db.open(t.path, "pluma");
        // No time at all at start: only the check going on beside the program finds the damage.
        const zarvo::StoreCheckResult quick = zarvo::checkStore(t.db, {"Employee"}, 0);
        QVERIFY2(quick.fault.isEmpty(), qPrintable(quick.fault));
        QVERIFY(quick.pending);
        QObject context;
        QStringList reported;
        quick.pending->onDone(&context, [&](const QString &fault) { reported << fault; });
        QTRY_COMPARE_WITH_TIMEOUT(reported.size(), 1, 20000);
        QCOMPARE(reported[0].isEmpty(), !damage);
        // Given time, the same check refuses the damaged file at once.
        const zarvo::StoreCheckResult waited = zarvo::checkStore(t.db, {"Employee"}, 20000);
        QVERIFY(!waited.pending);
        QCOMPARE(waited.fault.startsWith("The database file " + t.path + " is damaged: "), damage);
    }

    void terminationSignalClosesCleanly_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM (logout)") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }
    void terminationSignalClosesCleanly()
    {
        QFETCH(int, signal);
        const QString path = programDir.path() + "/punched.mdb";
        zarvo::test::createServerDatabase(path);
        QProcess p;
        startServer(p);
        QString log;
        QElapsedTimer timer;
        timer.start();
        QRegularExpressionMatch m;
        while (!(m = QRegularExpression("ZARVO-LISTENING (\\d+)").match(log)).hasMatch() && timer.elapsed() < 30000) {
            p.waitForReadyRead(100);
            log += QString::fromLocal8Bit(p.readAllStandardError());
        }
        QVERIFY2(m.hasMatch(), qPrintable(log));
        QTcpSocket terminal;
        terminal.connectToHost(QHostAddress::LocalHost, m.captured(1).toUShort());
        QVERIFY(terminal.waitForConnected(5000));
        QVERIFY(terminal.waitForReadyRead(5000)); // "CRA"
        QVERIFY(QFile::exists(path + "-wal"));

        ::kill(pid_t(p.processId()), signal);
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        // The terminal's connection was closed, the log merged into the file and removed.
        QVERIFY(terminal.state() == QAbstractSocket::UnconnectedState || !terminal.waitForReadyRead(5000));
        QVERIFY(!QFile::exists(path + "-wal"));
        QVERIFY(!QFile::exists(path + "-shm"));
        zarvo::DatabaseSession db;
        db.open(path, "pluma");
        QCOMPARE(db.countRows("admin"), 1);
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
