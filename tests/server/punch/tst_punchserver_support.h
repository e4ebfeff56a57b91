#pragma once
// What the punch server tests share: a server on a free port over a fresh punched.mdb, and
// raw terminals speaking the wire protocol.

#include "boxrecorder.h"
#include "serverlayout.h"
#include "clock.h"
#include "database.h"
#include "dialogs.h"
#include "module1.h"
#include "punchserver.h"
#include "terminallist.h"
#include "testdb.h"
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>
#include <QWidget>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>

namespace punchtest {

/// The punch server of a test, listening on a free loopback port over its own database.
struct Server {
    zarvo::test::ServerDb store;
    QWidget console;
    std::unique_ptr<PunchServer> server;

    Server()
    {
        qputenv("ZARVO_PUNCH_PORT", "0");
        zarvo::Dialogs::setProgramTitle(QStringLiteral("Zarvo Punch Server"));
        Module1::instance().db.open(store.path, Module1::databasePassword());
        server = std::make_unique<PunchServer>(&console, Module1::instance().db);
        if (!server->listen())
            qFatal("listen failed: %s", qPrintable(server->errorString()));
    }
    ~Server()
    {
        server.reset();
        Module1::instance().db.close();
    }
    zarvo::DatabaseSession &db() { return Module1::instance().db; }
    /// The console's "Terminals" command over this server.
    void rebuildTerminalList() { RebuildTerminalList(&console, db(), server->connectedTerminals()); }

    /// Adds employees E<from>..E<to-1> named "First<i> Last<i>" in one commit.
    void addEmployees(int from, int to)
    {
        zarvo::Transaction t(db());
        for (int i = from; i < to; ++i)
            zarvo::test::addEmployee(db(), QStringLiteral("E%1").arg(i), QStringLiteral("First%1").arg(i),
                                     QStringLiteral("Last%1").arg(i));
        t.commit();
    }
    /// Number of timesheet rows of one employee, and of filled slots over them.
    int rowsOf(const QString &id)
    {
        zarvo::RecordSet rs;
        rs.open(db(), QStringLiteral("Select * from timesheet where emp_id = ?"), {id});
        return rs.recordCount();
    }
    int filledSlots(const QString &id)
    {
        zarvo::RecordSet rs;
        rs.open(db(), QStringLiteral("Select * from timesheet where emp_id = ?"), {id});
        int n = 0;
        for (; !rs.eof(); rs.moveNext())
            for (const char *f : ServerLayout::TimeSlots)
                n += rs.value(QLatin1String(f)).isValid();
        return n;
    }
};

/// A raw terminal socket, connected (or failing the test).
inline std::unique_ptr<QTcpSocket> connectTerminal(const Server &s)
{
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(QHostAddress::LocalHost, s.server->port());
    if (!socket->waitForConnected(5000))
        qFatal("terminal could not connect: %s", qPrintable(socket->errorString()));
    return socket;
}

/// A raw terminal socket connecting from `local`, a loopback address of its own (127.x.y.z).
inline std::unique_ptr<QTcpSocket> connectFrom(const Server &s, const QString &local)
{
    auto socket = std::make_unique<QTcpSocket>();
    socket->bind(QHostAddress(local));
    socket->connectToHost(QHostAddress::LocalHost, s.server->port());
    if (!socket->waitForConnected(5000))
        qFatal("terminal could not connect: %s", qPrintable(socket->errorString()));
    return socket;
}

/// Waits until `socket` holds at least `bytes` bytes and returns everything it holds.
inline QByteArray readAtLeast(QTcpSocket &socket, qsizetype bytes, int timeoutMs = 5000)
{
    QByteArray got;
    QElapsedTimer timer;
    timer.start();
    while (got.size() < bytes && timer.elapsed() < timeoutMs) {
        got += socket.readAll();
        if (got.size() < bytes)
            QTest::qWait(1);
    }
    return got + socket.readAll();
}

/// A terminal connected and accepted, its "CRA" read (or failing the test).
inline std::unique_ptr<QTcpSocket> acceptedTerminal(const Server &s)
{
    auto socket = connectTerminal(s);
    if (readAtLeast(*socket, 3) != "CRA")
        qFatal("terminal was not accepted");
    return socket;
}

/// The server answers a probe on a fresh terminal: it is alive and serving.
inline void probeAnswered(const Server &s)
{
    auto probe = connectTerminal(s);
    probe->write("probe id");
    // "CRA" may come first, alone or glued to the reply: wait for the reply itself.
    QByteArray got;
    QTRY_VERIFY_WITH_TIMEOUT((got += probe->readAll()).endsWith("NRF"), 10000);
}

/// Raises this process's descriptor limit: both ends of every test connection live here.
inline void raiseDescriptorLimit()
{
    rlimit lim{};
    getrlimit(RLIMIT_NOFILE, &lim);
    lim.rlim_cur = lim.rlim_max;
    setrlimit(RLIMIT_NOFILE, &lim);
}

} // namespace punchtest
