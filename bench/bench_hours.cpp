// The cost of an employee's hours after a punch, on a timesheet of a million rows: the punch
// alone and the punch followed by its hours in the store, then through the punch server as a
// terminal sees it (send -> seed reply for a seed terminal, send -> HOURS frame for one that
// said HELLO), each punch another employee's, on a day with a week of history behind it.
//   bench_hours [history_rows=1000000] [punches=2000]
#include "benchstats.h"
#include "boxrecorder.h"
#include "clock.h"
#include "hourssofar.h"
#include "module1.h"
#include "protocolext.h"
#include "punchrule.h"
#include "punchserver.h"
#include "testdb.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <atomic>
#include <cstdio>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace zarvo;

namespace {
constexpr int kEmployees = 2000;
const QDateTime kDay(QDate(2026, 12, 10), QTime(6, 0)); // a Thursday: Monday to Wednesday behind it

double ms(qint64 ns) { return ns / 1e6; }

/// Reads from a blocking socket until `done` holds for what arrived since the send.
QByteArray readUntil(int fd, const std::function<bool(const QByteArray &)> &done)
{
    QByteArray got;
    char buffer[4096];
    while (!done(got)) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            qFatal("terminal closed while waiting for its reply");
        got.append(buffer, n);
    }
    return got;
}
} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("ZARVO_PUNCH_PORT", "0");
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const qint64 history = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    const int punches = argc > 2 ? QByteArray(argv[2]).toInt() : 2000;

    test::BoxRecorder boxes;
    boxes.autoDismissAsync = true;
    test::ServerDb store;
    QElapsedTimer timer;
    timer.start();
    store.db.execScript(QStringLiteral(
        "BEGIN; WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x+1 FROM c WHERE x < %1) "
        "INSERT INTO timesheet SELECT 'E' || (x % %2), date('2026-12-09', '-' || (x / %2) || ' days'), "
        "'08:00:00', '12:00:00', '13:00:00', '17:00:00', NULL, NULL FROM c; COMMIT;")
                            .arg(history - 1).arg(kEmployees));
    {
        Transaction t(store.db);
        for (int i = 0; i < kEmployees; ++i)
            test::addEmployee(store.db, QStringLiteral("E%1").arg(i), QStringLiteral("First%1").arg(i),
                              QStringLiteral("Last%1").arg(i));
        t.commit();
    }
    std::printf("timesheet of %lld rows, %d employees, built in %.1f s\n",
                (long long)store.db.countRows("timesheet"), kEmployees, timer.elapsed() / 1000.0);
    Module1::instance().db.open(store.path, Module1::databasePassword());
    DatabaseSession &db = Module1::instance().db;

    // The store: each punch is one durable commit; the hours are one read after it.
    std::vector<double> punchOnly, hoursOnly, both;
    for (int i = 0; i < punches; ++i) {
        const QString id = QStringLiteral("E%1").arg(i % kEmployees);
        Clock::setFixed(kDay.addDays(i / kEmployees).addSecs(i % kEmployees));
        timer.restart();
        RecordPunch(db, id);
        const qint64 punchNs = timer.nsecsElapsed();
        timer.restart();
        const HoursSoFar h = hoursSoFar(db, id, Clock::now(), serverWeekStart());
        const qint64 hoursNs = timer.nsecsElapsed();
        if (h.week < 8)
            qFatal("the week's history was not counted (%f)", h.week);
        punchOnly.push_back(ms(punchNs));
        hoursOnly.push_back(ms(hoursNs));
        both.push_back(ms(punchNs + hoursNs));
    }
    const Stats p = stats(punchOnly), h = stats(hoursOnly), b = stats(both);
    std::printf("store, punch alone:        median %.3f ms, p99 %.3f ms\n", p.median, p.p99);
    std::printf("store, hours alone:        median %.3f ms, p99 %.3f ms\n", h.median, h.p99);
    std::printf("store, punch then hours:   median %.3f ms, p99 %.3f ms\n", b.median, b.p99);

    // Through the punch server: one seed terminal and one that said HELLO, taking turns.
    QWidget console;
    PunchServer server(&console, Module1::instance().db);
    if (!server.listen())
        qFatal("listen: %s", qPrintable(server.errorString()));
    const quint16 port = server.port();
    std::vector<double> seedRtt, helloRtt, helloReply, gap;
    std::atomic<bool> finished{false};
    Clock::setFixed(kDay.addSecs(3 * 3600)); // the same day, later: each punch signs one out, with hours
    std::thread terminals([&] {
        const int seed = connectLoopback(port), hello = connectLoopback(port);
        const QByteArray helloFrame =
            ProtocolExt::helloFrame({"1", QString(32, 'e'), "bench", ProtocolExt::toMs(QDateTime::currentDateTime()), 0});
        ::send(hello, helloFrame.constData(), size_t(helloFrame.size()), 0);
        readUntil(seed, [](const QByteArray &g) { return g.endsWith("CRA"); });
        readUntil(hello, [](const QByteArray &g) { return g.contains("CRA"); });
        QElapsedTimer t;
        for (int i = 0; i < punches; ++i) {
            const bool viaHello = i % 2;
            const int fd = viaHello ? hello : seed;
            const QByteArray id = "E" + QByteArray::number(i % kEmployees);
            t.start();
            ::send(fd, id.constData(), size_t(id.size()), 0);
            if (viaHello) {
                // When the seed reply came, and then its HOURS: the gap is what the hours cost.
                qint64 replyNs = -1;
                readUntil(fd, [&](const QByteArray &g) {
                    if (replyNs < 0 && g.size() >= 3 && g[0] != ProtocolExt::Start)
                        replyNs = t.nsecsElapsed();
                    return g.endsWith(ProtocolExt::End) && g.contains("HOURS");
                });
                helloRtt.push_back(ms(t.nsecsElapsed()));
                helloReply.push_back(ms(replyNs));
                gap.push_back(ms(t.nsecsElapsed() - replyNs));
            } else {
                readUntil(fd, [](const QByteArray &g) { return g.size() >= 3; });
                seedRtt.push_back(ms(t.nsecsElapsed()));
            }
        }
        ::close(seed);
        ::close(hello);
        finished = true;
    });
    while (!finished)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    terminals.join();
    const Stats s = stats(seedRtt), r = stats(helloReply), e = stats(helloRtt), g = stats(gap);
    std::printf("server, seed terminal, send -> reply:          median %.3f ms, p99 %.3f ms\n", s.median, s.p99);
    std::printf("server, HELLO terminal, send -> seed reply:    median %.3f ms, p99 %.3f ms\n", r.median, r.p99);
    std::printf("server, HELLO terminal, send -> HOURS frame:   median %.3f ms, p99 %.3f ms\n", e.median, e.p99);
    std::printf("server, HELLO terminal, seed reply -> HOURS:   median %.3f ms, p99 %.3f ms\n", g.median, g.p99);
    std::printf("the hours add: %.3f ms (median) in the store, %.3f ms (median) after the reply at the terminal\n",
                b.median - p.median, g.median);
    return 0;
}
