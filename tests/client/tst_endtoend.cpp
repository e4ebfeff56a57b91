// The real programs together: ZarvoServer and Client, each run from a copy of its program
// folder, headless, and an employee punched in and out through the terminal.
#include "database.h"
#include "programs.h"
#include "systemtexts.h"
#include "testdb.h"
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>

using zarvo::test::waitForLine;

namespace {

/// A port nobody listens on, below the range the system hands out for outgoing connections
/// (a terminal retrying a port in that range may be given it for its own end).
QString freePort()
{
    for (quint16 p = quint16(20000 + QRandomGenerator::global()->bounded(10000));; ++p) {
        QTcpServer probe;
        if (probe.listen(QHostAddress::Any, p))
            return QString::number(p);
    }
}

QByteArray digest(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256) : "missing";
}

/// The employees of the restart tests.
void addStaff(const QString &serverDir)
{
    zarvo::DatabaseSession db;
    db.open(serverDir + "/punched.mdb", "pluma");
    zarvo::test::addEmployee(db, "E7", "John", "Smith");
    zarvo::test::addEmployee(db, "E8", "Ann", "Lee");
    zarvo::test::addEmployee(db, "E9", "Bo", "Kim");
}

/// ZarvoServer from `dir` on `port` (0: any); returns the port it listens on, "" on failure.
QString startServer(QProcess &server, const QString &dir, const QString &port, QString &log)
{
    QProcessEnvironment env = zarvo::test::headlessEnvironment();
    env.insert("ZARVO_PUNCH_PORT", port);
    server.setProcessEnvironment(env);
    server.start(dir + "/ZarvoServer", {});
    if (!server.waitForStarted(10000))
        return {};
    return waitForLine(server, log, QRegularExpression("ZARVO-LISTENING (\\d+)"), 20000);
}

/// Client from `dir`, typing what its standard input brings.
void startClient(QProcess &client, const QString &dir, const QString &port)
{
    QProcessEnvironment env = zarvo::test::headlessEnvironment();
    env.insert("ZARVO_PUNCH_PORT", port);
    env.insert("ZARVO_CLIENT_SCRIPT", "-");
    client.setProcessEnvironment(env);
    client.start(dir + "/Client", {});
    client.waitForStarted(10000);
}

/// The employee's slots of the day as "hh:mm:ss" texts, Null slots left out.
QStringList slotsOf(const QString &serverDir, const QString &id)
{
    zarvo::DatabaseSession db;
    db.open(serverDir + "/punched.mdb", "pluma");
    zarvo::RecordSet rs;
    rs.open(db, "Select * from timesheet where emp_id = ?", {id});
    QStringList out;
    for (; !rs.eof(); rs.moveNext())
        for (const char *f : {"in1", "out1", "in2", "out2", "in3", "out3"})
            if (rs.value(f).isValid())
                out << rs.value(f).toTime().toString("HH:mm:ss");
    return out;
}

/// The time of day a "Saved at <time>" line names, in the store's form.
QString savedTime(const QString &typedLine)
{
    const QString shown = typedLine.section("Saved at ", 1).trimmed();
    for (int s = 0; s < 24 * 3600; ++s) {
        const QTime t = QTime(0, 0).addSecs(s);
        if (zarvo::SystemTexts::time(t) == shown)
            return t.toString("HH:mm:ss");
    }
    return "not a time: " + shown;
}

/// Whether the stored times are the typed ones. A replayed punch is stored at its typed time on
/// the server's clock (typed plus the measured clock offset): on one machine that offset is a few
/// milliseconds, enough to carry a time into the next (or previous) second now and then.
bool storedAsTyped(const QStringList &stored, const QStringList &typed)
{
    if (stored.size() != typed.size())
        return false;
    for (qsizetype i = 0; i < stored.size(); ++i) {
        const QTime s = QTime::fromString(stored[i], "HH:mm:ss"), t = QTime::fromString(typed[i], "HH:mm:ss");
        if (!s.isValid() || !t.isValid() || std::abs(t.secsTo(s)) > 1)
            return false;
    }
    return true;
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

    // A server restart during a working day: the terminal finds it again by itself, and what
    // was typed meanwhile is stored once, at the times it was typed.
    void serverRestartLosesNothing()
    {
        QTemporaryDir dir;
        const QString serverDir = dir.path() + "/server", clientDir = dir.path() + "/client";
        QVERIFY(zarvo::test::copyProgramFolder(ZARVO_SERVER_DIR, serverDir));
        QVERIFY(zarvo::test::copyProgramFolder(ZARVO_CLIENT_DIR, clientDir));
        addStaff(serverDir);
        QProcess server, client;
        QString serverLog, clientLog;
        const QString port = startServer(server, serverDir, "0", serverLog);
        QVERIFY2(!port.isEmpty(), qPrintable(serverLog));
        startClient(client, clientDir, port);
        zarvo::test::LogCursor terminal(client, clientLog);
        QVERIFY2(!terminal.next("ZARVO-STATUS Connected to 127.0.0.1\n").isEmpty(), qPrintable(clientLog));
        client.write("E7\n");
        QVERIFY2(!terminal.next("ZARVO-RESULT John Smith\\|Signed In at ").isEmpty(), qPrintable(clientLog));

        server.kill();
        server.waitForFinished(10000);
        QVERIFY2(!terminal.next("ZARVO-STATUS Server not reachable — trying again in N s\n").isEmpty(), qPrintable(clientLog));
        client.write("E8\n");
        const QString e8Typed = savedTime(terminal.next("ZARVO-TYPED E8 E8\\|Saved at [^\n]+"));
        client.write("E9\n");
        const QString e9Typed = savedTime(terminal.next("ZARVO-TYPED E9 E9\\|Saved at [^\n]+"));
        QVERIFY2(!terminal.next("2 punches waiting to be sent").isEmpty(), qPrintable(clientLog));

        QVERIFY2(startServer(server, serverDir, port, serverLog) == port, qPrintable(serverLog));
        QVERIFY2(!terminal.next("ZARVO-STATUS Connected to 127.0.0.1\n").isEmpty(), qPrintable(clientLog));
        client.write("E8\n");
        QVERIFY2(!terminal.next("ZARVO-RESULT Ann Lee\\|Signed Out at ").isEmpty(), qPrintable(clientLog));
        client.write("quit\n");
        QVERIFY(client.waitForFinished(10000));
        clientLog += QString::fromLocal8Bit(client.readAllStandardError());
        server.kill();
        server.waitForFinished(10000);

        // (A replay within two seconds of a time already held counts as that punch again, so
        // each employee punches once while the server is away.)
        QCOMPARE(slotsOf(serverDir, "E7").size(), 1);
        QVERIFY(storedAsTyped(slotsOf(serverDir, "E9"), {e9Typed}));
        const QStringList e8 = slotsOf(serverDir, "E8");
        QCOMPARE(e8.size(), 2);
        QVERIFY(storedAsTyped({e8[0]}, {e8Typed}));
        QVERIFY(e8[0] <= e8[1]);
        // No box at every blip: the terminal's acceptance once, the lost server once at most
        // (none when it was back before the first attempt failed).
        QCOMPARE(clientLog.count("BOX|Remote Connected"), 1);
        QVERIFY2(clientLog.count("BOX|Connection Error") <= 1, qPrintable(clientLog));
    }

    // The terminal itself killed after it told the employee the punches were saved.
    void killedTerminalStillSendsWhatItSaved()
    {
        QTemporaryDir dir;
        const QString serverDir = dir.path() + "/server", clientDir = dir.path() + "/client";
        QVERIFY(zarvo::test::copyProgramFolder(ZARVO_SERVER_DIR, serverDir));
        QVERIFY(zarvo::test::copyProgramFolder(ZARVO_CLIENT_DIR, clientDir));
        addStaff(serverDir);
        const QString port = freePort();
        QProcess client;
        QString clientLog;
        startClient(client, clientDir, port);
        zarvo::test::LogCursor terminal(client, clientLog);
        QVERIFY2(!terminal.next("Server not reachable").isEmpty(), qPrintable(clientLog));
        QStringList typed;
        for (const char *id : {"E7", "E8", "E9"}) {
            client.write(QByteArray(id) + "\n");
            const QString line = terminal.next(QString("ZARVO-TYPED ") + id + " " + id + "\\|Saved at [^\n]+");
            QVERIFY2(!line.isEmpty(), qPrintable(clientLog));
            typed << savedTime(line);
        }
        // Two more attempts fail meanwhile; the employee at the kiosk saw one box for all.
        for (int attempt = 0; attempt < 2; ++attempt)
            QVERIFY2(!terminal.next("ZARVO-FAILED 0 ").isEmpty(), qPrintable(clientLog));
        QCOMPARE(clientLog.count("BOX|Connection Error|Socket Error 0: Connection refused"), 1);
        client.kill(); // no chance to tidy up
        QVERIFY(client.waitForFinished(10000));
        const auto seen = [&](QProcess &p, QString &log, const QString &pattern) {
            return waitForLine(p, log, QRegularExpression("(" + pattern + ")"), 30000);
        };

        QProcess server;
        QString serverLog;
        QVERIFY2(startServer(server, serverDir, port, serverLog) == port, qPrintable(serverLog));
        QProcess again;
        QString againLog;
        startClient(again, clientDir, port);
        QVERIFY2(!seen(again, againLog, "ZARVO-STATUS Connected to 127.0.0.1\n").isEmpty(), qPrintable(againLog));
        again.write("quit\n");
        QVERIFY(again.waitForFinished(10000));
        server.kill();
        server.waitForFinished(10000);
        QVERIFY(storedAsTyped(slotsOf(serverDir, "E7"), {typed[0]}));
        QVERIFY(storedAsTyped(slotsOf(serverDir, "E8"), {typed[1]}));
        QVERIFY(storedAsTyped(slotsOf(serverDir, "E9"), {typed[2]}));
    }

    // The seed's behaviour one setting away: client.mdb left exactly as it is, a box for the
    // server that is not there, another for the punch, nothing kept.
    void seedBehaviourFromTheSettingsFile()
    {
        QTemporaryDir dir;
        const QString clientDir = dir.path() + "/client";
        QVERIFY(zarvo::test::copyProgramFolder(ZARVO_CLIENT_DIR, clientDir));
        {
            QFile ini(clientDir + "/client.ini");
            QVERIFY(ini.open(QIODevice::WriteOnly));
            ini.write("[terminal]\nseed_behaviour=true\n");
        }
        const QString port = freePort();
        // An older file, as a terminal installed before this version has it.
        QFile::remove(clientDir + "/client.mdb");
        zarvo::test::createClientDatabase(clientDir + "/client.mdb");
        const QByteArray before = digest(clientDir + "/client.mdb");
        QProcess client;
        QString log;
        startClient(client, clientDir, port);
        QVERIFY2(!waitForLine(client, log, QRegularExpression("(BOX\\|Connection Error\\|Socket Error [^\n]+)"), 20000).isEmpty(),
                 qPrintable(log));
        client.write("E7\n");
        QVERIFY2(!waitForLine(client, log, QRegularExpression("(ZARVO-TYPED E7 [^\n]*)"), 20000).isEmpty(), qPrintable(log));
        client.write("quit\n");
        QVERIFY(client.waitForFinished(10000));
        log += QString::fromLocal8Bit(client.readAllStandardError());
        QVERIFY2(log.contains("BOX|Error In Connection|Unable to Reach Server! Please Make Sure They're Connected."),
                 qPrintable(log));
        QVERIFY(!log.contains("Saved at"));
        QVERIFY(!QFile::exists(clientDir + "/backups"));
        QCOMPARE(digest(clientDir + "/client.mdb"), before);
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
