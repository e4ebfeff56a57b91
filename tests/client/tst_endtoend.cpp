// The real programs together: ZarvoServer and Client, each run from a copy of its program
// folder, headless, and an employee punched in and out through the terminal.
#include "database.h"
#include "programs.h"
#include "testdb.h"
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

/// Waits until the process has written a line matching `pattern` to standard error.
QString waitForLine(QProcess &p, QString &seen, const QRegularExpression &pattern, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        seen += QString::fromLocal8Bit(p.readAllStandardError());
        const QRegularExpressionMatch m = pattern.match(seen);
        if (m.hasMatch())
            return m.captured(1);
        if (p.state() == QProcess::NotRunning)
            break;
        p.waitForReadyRead(100);
    }
    return {};
}
} // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT
private slots:
    // Without its client.mdb the terminal ends at once with the store's message in a failure box.
    void aMissingDatabaseEndsTheTerminal()
    {
        QTemporaryDir dir;
        QVERIFY(zarvo::test::copyProgramFolder(ZARVO_CLIENT_DIR, dir.path()));
        QFile::remove(dir.path() + "/client.mdb");
        QProcess client;
        client.setProcessEnvironment(zarvo::test::headlessEnvironment());
        client.start(dir.path() + "/Client", {});
        QVERIFY(client.waitForFinished(20000) && client.exitCode() != 0);
        const QString log = QString::fromLocal8Bit(client.readAllStandardError());
        QVERIFY2(log.contains(QRegularExpression("BOX\\|Zarvo Punch Clock\\|unable to open database file.*\\|exclamation\\n")), qPrintable(log));
    }

    void punchInAndOutThroughTheTerminal()
    {
        QTemporaryDir dir;
        const QString serverDir = dir.path() + "/server", clientDir = dir.path() + "/client";
        QVERIFY(zarvo::test::copyProgramFolder(ZARVO_SERVER_DIR, serverDir));
        QVERIFY(zarvo::test::copyProgramFolder(ZARVO_CLIENT_DIR, clientDir));
        {
            zarvo::DatabaseSession db;
            db.open(serverDir + "/punched.mdb", "pluma");
            zarvo::test::addEmployee(db, "E7", "John", "Smith");
        }

        QProcess server;
        QProcessEnvironment env = zarvo::test::headlessEnvironment();
        env.insert("ZARVO_PUNCH_PORT", "0");
        server.setProcessEnvironment(env);
        // Started from elsewhere: each program finds its files in its own folder.
        server.setWorkingDirectory(dir.path());
        server.start(serverDir + "/ZarvoServer", {});
        QVERIFY2(server.waitForStarted(10000), qPrintable(server.errorString()));
        QString serverLog;
        const QString port = waitForLine(server, serverLog, QRegularExpression("ZARVO-LISTENING (\\d+)"), 20000);
        QVERIFY2(!port.isEmpty(), qPrintable(serverLog));

        QProcess client;
        env = zarvo::test::headlessEnvironment();
        env.insert("ZARVO_PUNCH_PORT", port);
        env.insert("ZARVO_CLIENT_SCRIPT", "E7,E7,nobody");
        client.setProcessEnvironment(env);
        client.setWorkingDirectory(dir.path());
        client.start(clientDir + "/Client", {});
        QVERIFY(client.waitForStarted(10000));
        QVERIFY(client.waitForFinished(30000));
        const QString clientLog = QString::fromLocal8Bit(client.readAllStandardError());
        QCOMPARE(client.exitCode(), 0);

        QVERIFY2(clientLog.contains("BOX|Remote Connected|Connection Request Accepted"), qPrintable(clientLog));
        QVERIFY2(clientLog.contains(QRegularExpression("ZARVO-RESULT John Smith\\|Signed In at \\S")), qPrintable(clientLog));
        QVERIFY2(clientLog.contains(QRegularExpression("ZARVO-RESULT John Smith\\|Signed Out at \\S")), qPrintable(clientLog));
        QVERIFY2(clientLog.contains("BOX|ID Not Found|No Record of That ID Found"), qPrintable(clientLog));
        QVERIFY(clientLog.contains("ZARVO-SCRIPT-DONE"));

        waitForLine(server, serverLog, QRegularExpression("(BOX\\|Client Accepted\\|Connected with 127\\.0\\.0\\.1)"), 5000);
        QVERIFY2(serverLog.contains("BOX|Client Accepted|Connected with 127.0.0.1"), qPrintable(serverLog));
        server.kill();
        server.waitForFinished(10000);

        // The punches were stored before they were answered: a killed server has kept them.
        zarvo::DatabaseSession db;
        db.open(serverDir + "/punched.mdb", "pluma");
        zarvo::RecordSet rs;
        rs.open(db, "Select * from timesheet where emp_id = ?", {QString("E7")});
        QCOMPARE(rs.recordCount(), 1);
        QVERIFY(rs.value("in1").isValid());
        QVERIFY(rs.value("out1").isValid());
        QVERIFY(!rs.value("in2").isValid());
        QCOMPARE(db.countRows("timesheet"), 1);
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
