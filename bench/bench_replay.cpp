// Terminals coming back together after the server was away: N terminals (the real connection
// keeper of the Client, each over its own client.mdb) each holding K kept punches connect at
// once to a punch server over a timesheet of a million rows. Prints the time until every kept
// punch is stored and acknowledged, and the send->reply latency of ordinary punches another
// terminal (seed bytes) makes meanwhile, against the same terminal before the storm.
// The storm is repeated (each time by terminals the server has not seen, as after a restart)
// so that the percentiles rest on enough punches.
//   bench_replay [history_rows=1000000] [terminals=40] [kept_each=50] [storms=5]
#include "benchstats.h"
#include "boxrecorder.h"
#include "clientstore.h"
#include "clock.h"
#include "database.h"
#include "module1.h"
#include "protocolext.h"
#include "punchserver.h"
#include "terminallink.h"
#include "testdb.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>
#include <atomic>
#include <cstdio>
#include <memory>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace zarvo;

namespace {
[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "bench_replay FAILED: %s\n", what);
    std::fflush(stdout);
    ::_exit(3);
}

qint64 monotonicNs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

/// A plain terminal punching employees one after another, each after the reply to the last,
/// on a thread of its own with blocking reads (30 s without a reply ends the benchmark).
class Puncher {
public:
    Puncher(quint16 port, int firstEmployee, int employees) : m_port(port), m_first(firstEmployee), m_count(employees) {}
    ~Puncher()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_fd >= 0)
            ::close(m_fd);
    }
    void start()
    {
        m_stop = false;
        m_thread = std::thread([this] { run(); });
    }
    /// Ends the run; the server's event loop (this thread's) keeps turning until the last
    /// punch has its reply.
    std::vector<double> stop()
    {
        m_stop = true;
        while (m_thread.joinable() && !m_done)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (m_thread.joinable())
            m_thread.join();
        m_done = false;
        return std::exchange(m_latencies, {});
    }

private:
    void run()
    {
        char buf[256];
        if (m_fd < 0) {
            // Connected on this thread: the server's event loop runs on the main one meanwhile.
            m_fd = connectLoopback(m_port);
            timeval limit{30, 0};
            setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
            if (::recv(m_fd, buf, 3, MSG_WAITALL) != 3 || std::memcmp(buf, "CRA", 3) != 0)
                fail("the plain terminal got no CRA");
        }
        while (!m_stop) {
            const QByteArray id = "E" + QByteArray::number(m_first + m_next++ % m_count);
            const qint64 t0 = monotonicNs();
            if (::send(m_fd, id.constData(), size_t(id.size()), 0) != id.size())
                fail("the plain terminal could not send");
            const ssize_t got = ::recv(m_fd, buf, sizeof buf, 0);
            if (got <= 0)
                fail("the plain terminal got no reply (closed, or 30 s of silence)");
            m_latencies.push_back((monotonicNs() - t0) / 1e6);
        }
        m_done = true;
    }
    int m_fd = -1;
    quint16 m_port;
    int m_first, m_count, m_next = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_done{false};
    std::thread m_thread;
    std::vector<double> m_latencies;
};

/// The returning terminals, on a thread of their own: each a TerminalLink over its client.mdb.
class Returning : public QObject {
    Q_OBJECT
public:
    std::vector<std::unique_ptr<DatabaseSession>> dbs;
    std::vector<TerminalLink *> links;
    std::atomic<int> waiting{0};

    void open(const QStringList &paths)
    {
        for (const QString &path : paths) {
            dbs.push_back(std::make_unique<DatabaseSession>());
            dbs.back()->open(path);
            auto *link = new TerminalLink(*dbs.back(), QStringLiteral("bench-%1").arg(links.size()), this);
            links.push_back(link);
            connect(link, &TerminalLink::waitingChanged, this, &Returning::count);
        }
        count();
    }
    void connectAll(quint16 port)
    {
        for (TerminalLink *l : links)
            l->connectTo(QStringLiteral("127.0.0.1"), port);
    }
    void count()
    {
        int n = 0;
        for (TerminalLink *l : links)
            n += l->waiting();
        waiting = n;
    }
    void close()
    {
        for (TerminalLink *l : links)
            delete l;
        links.clear();
        dbs.clear();
    }
};

} // namespace

int main(int argc, char **argv)
{
    benchEnvironment();
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const qint64 history = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    const int terminals = argc > 2 ? QByteArray(argv[2]).toInt() : 40;
    const int keptEach = argc > 3 ? QByteArray(argv[3]).toInt() : 50;
    // Employees from E200 on: the history's E0..E199 have rows for today's date.
    const int firstKept = 200, firstPlain = firstKept + terminals * keptEach, plainCount = 3000;

    test::BoxRecorder boxes;
    boxes.autoDismissAsync = true;
    test::ServerDb store;
    QElapsedTimer timer;
    timer.start();
    fillHistory(store.db, history);
    {
        Transaction t(store.db);
        for (int i = 0; i < firstPlain + plainCount; ++i)
            test::addEmployee(store.db, QStringLiteral("E%1").arg(i), QStringLiteral("First%1").arg(i),
                              QStringLiteral("Last%1").arg(i));
        t.commit();
    }
    std::printf("timesheet of %lld rows, %d employees, built in %.1f s\n", (long long)store.db.countRows("timesheet"),
                firstPlain + plainCount, timer.elapsed() / 1000.0);

    const int storms = argc > 4 ? std::clamp(QByteArray(argv[4]).toInt(), 1, 5) : 5;
    Module1::instance().db.open(store.path, Module1::databasePassword());
    QWidget console;
    PunchServer server(&console, Module1::instance().db);
    if (!server.listen())
        fail(qPrintable(server.errorString()));

    Puncher plain(server.port(), firstPlain, plainCount);
    plain.start();
    spinUntil([] { return false; }, 5000);
    const std::vector<double> quiet = plain.stop();
    const Stats before = stats(quiet);

    QTemporaryDir dir;
    QThread thread;
    thread.start();
    std::vector<double> during, times;
    for (int storm = 0; storm < storms; ++storm) {
        // Each terminal's client.mdb with its kept punches, typed in the last hour (a later
        // storm's after an earlier one's, so each fills the next slot of the day).
        QStringList paths;
        const qint64 now = ProtocolExt::toMs(Clock::now());
        for (int t = 0; t < terminals; ++t) {
            const QString path = dir.path() + QStringLiteral("/client%1-%2.mdb").arg(storm).arg(t);
            test::createClientDatabase(path);
            DatabaseSession db;
            db.open(path);
            ClientLayout::upgrade(db, path);
            Transaction tx(db);
            KeptPunches kept(db);
            for (int k = 0; k < keptEach; ++k)
                kept.add(QStringLiteral("E%1").arg(firstKept + t * keptEach + k),
                         now - (storms - storm) * 600000 + k * 1000 + t * 10, 0);
            tx.commit();
            paths << path;
        }
        Returning returning;
        returning.moveToThread(&thread);
        QMetaObject::invokeMethod(&returning, [&] { returning.open(paths); }, Qt::BlockingQueuedConnection);
        if (returning.waiting != terminals * keptEach)
            fail("the terminals do not hold their kept punches");
        const qint64 rowsBefore = Module1::instance().db.countRows("timesheet");
        const qint64 filledBefore = Module1::instance().db.countRows("held_punch");

        plain.start();
        timer.restart();
        QMetaObject::invokeMethod(&returning, [&] { returning.connectAll(server.port()); });
        if (!spinUntil([&] { return returning.waiting == 0; }, 600000))
            fail("the kept punches were not all acknowledged within 10 minutes");
        times.push_back(timer.elapsed() / 1000.0);
        const std::vector<double> lat = plain.stop();
        during.insert(during.end(), lat.begin(), lat.end());
        QMetaObject::invokeMethod(&returning, [&] { returning.close(); }, Qt::BlockingQueuedConnection);
        if (Module1::instance().db.countRows("held_punch") != filledBefore)
            fail("kept punches were set aside");
        if (storm == 0 && Module1::instance().db.countRows("timesheet") - rowsBefore < qint64(terminals) * keptEach)
            fail("not every kept punch of the first storm got its row");
        std::printf("storm %d: %d terminals x %d kept punches all stored and acknowledged %.2f s after they "
                    "connected at once (%.0f replays/s)\n",
                    storm + 1, terminals, keptEach, times.back(), terminals * keptEach / times.back());
    }
    thread.quit();
    thread.wait();

    std::sort(times.begin(), times.end());
    const Stats s = stats(during);
    std::printf("time until all stored: median %.2f s, worst %.2f s\n", times[times.size() / 2], times.back());
    std::printf("ordinary punches of another terminal: before, median %.3f ms p99 %.3f ms (%zu punches); during the "
                "storms, median %.3f ms p99 %.3f ms (%zu punches)\n",
                before.median, before.p99, quiet.size(), s.median, s.p99, during.size());
    return 0;
}

#include "bench_replay.moc"
