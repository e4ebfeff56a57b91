#pragma once
// Shared by the benchmarks: percentiles of measured times, loopback terminals and a timesheet
// history of many rows.

#include <algorithm>
#include <vector>

struct Stats {
    double median, p99;
};

inline Stats stats(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v[std::min(v.size() - 1, size_t(v.size() * 0.99))]};
}

#include <QtGlobal>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

/// A terminal's plain socket connected to the server on loopback, sending each punch at once.
inline int connectLoopback(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0)
        qFatal("connect: %s", std::strerror(errno));
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return fd;
}

#include "database.h"

/// `rows` timesheet rows of employees E0..E(employees-1), four punches a day, one day after
/// another back from 12/31/2026.
inline void fillHistory(zarvo::DatabaseSession &db, qint64 rows, int employees = 200)
{
    db.execScript(QStringLiteral(
        "BEGIN; WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x+1 FROM c WHERE x < %1) "
        "INSERT INTO timesheet SELECT 'E' || (x % %2), date('2026-12-31', '-' || (x / %2) || ' days'), "
        "'08:00:00', '12:00:00', '13:00:00', '17:00:00', NULL, NULL FROM c; COMMIT;").arg(rows - 1).arg(employees));
}

#include <QCoreApplication>
#include <QElapsedTimer>

/// Runs the event loop until `done` holds or `ms` pass; false on timeout.
template <class F> bool spinUntil(F done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

/// Before the application is made: offscreen unless a platform was asked for, and the punch
/// server on a port the system picks.
inline void benchEnvironment()
{
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("ZARVO_PUNCH_PORT", "0");
}
