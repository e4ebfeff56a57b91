// Punch server under load: N terminals on loopback, each punching its own employee until the
// day is full, day after day, against 200+ employees and a timesheet of a million rows.
// Prints send->reply latency (median, p99) and punches/s beside the floors measured in the same
// run: the loopback round trip through both event loops, and one durable commit.
// Then, as the server sees them in a real flood: the p99 of one terminal's punches with no and
// with many idle connections open, and the resident memory after repeated floods of idle
// connections have come and gone.
//   bench_load [history_rows=1000000] [terminal counts...=1 50 500]
//   environment: BENCH_IDLE=5000 (idle connections), BENCH_FLOODS=10, BENCH_FLOOD_SIZE=20000
#include "benchstats.h"
#include "boxrecorder.h"
#include "clock.h"
#include "database.h"
#include "module1.h"
#include "punchbatch.h"
#include "punchrule.h"
#include "punchserver.h"
#include "testdb.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QWidget>
#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cstdio>
#include <vector>

using namespace zarvo;

namespace {

/// The terminals, on a thread of their own so that the server's thread only serves. They are
/// plain non-blocking sockets under epoll, so the figures are the server's and the network's,
/// not a second Qt event loop's.
class Driver : public QObject {
    Q_OBJECT
public:
    ~Driver() override
    {
        for (int fd : m_fds)
            ::close(fd);
        if (m_epoll >= 0)
            ::close(m_epoll);
    }
    void start(quint16 port, int count)
    {
        m_epoll = epoll_create1(0);
        for (int i = 0; i < count; ++i) {
            const int fd = connectLoopback(port);
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
            epoll_event ev{};
            ev.events = EPOLLIN;
            ev.data.u32 = uint32_t(i);
            epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &ev);
            m_fds.push_back(fd);
            m_ids.push_back(QByteArray("E") + QByteArray::number(i));
        }
        m_left.assign(size_t(count), 0);
        m_sent.assign(size_t(count), 0);
        // Every terminal waits for its "CRA" before it punches.
        int accepted = 0;
        pump([&](int, const char *data, ssize_t size) {
            if (size >= 3 && std::memcmp(data, "CRA", 3) == 0)
                ++accepted;
            return accepted < count;
        });
        emit ready();
    }
    void round()
    {
        std::vector<double> latencies;
        int active = int(m_fds.size());
        for (size_t i = 0; i < m_fds.size(); ++i) {
            m_left[i] = 6;
            send(int(i));
        }
        pump([&](int i, const char *, ssize_t) {
            latencies.push_back((now() - m_sent[size_t(i)]) / 1e6);
            if (--m_left[size_t(i)] > 0)
                send(i);
            else
                --active;
            return active > 0;
        });
        emit roundDone(latencies);
    }
    /// Round trips to an echo server: the floor of the network and one event loop.
    void ping(quint16 port, int count)
    {
        const int fd = connectLoopback(port);
        std::vector<double> times;
        char buf[64];
        for (int i = 0; i < count; ++i) {
            const qint64 t0 = now();
            if (::send(fd, "E1", 2, 0) != 2 || ::recv(fd, buf, sizeof buf, 0) <= 0)
                break;
            times.push_back((now() - t0) / 1e6);
        }
        ::close(fd);
        emit pinged(times);
    }
signals:
    void ready();
    void roundDone(std::vector<double> latencies);
    void pinged(std::vector<double> times);

private:
    static qint64 now()
    {
        timespec ts;
        clock_gettime(CLOCK_MONOTONIC, &ts);
        return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
    }
    void send(int i)
    {
        m_sent[size_t(i)] = now();
        if (::send(m_fds[size_t(i)], m_ids[size_t(i)].constData(), size_t(m_ids[size_t(i)].size()), 0) < 0)
            qFatal("send: %s", std::strerror(errno));
    }
    /// Stops the whole benchmark with a message and a non-zero exit: figures from terminals
    /// that were closed or went silent would be false, and waiting on them would never end.
    [[noreturn]] static void fail(const char *what, int terminal)
    {
        std::fprintf(stderr, "bench_load FAILED: terminal %d %s\n", terminal, what);
        std::fflush(stdout);
        std::fflush(stderr);
        ::_exit(3);
    }
    /// Hands each arriving message to `onMessage` until it returns false. A terminal closed by
    /// the server, a failed read or 30 s without any answer end the benchmark.
    template <class F> void pump(F onMessage)
    {
        epoll_event events[256];
        char buf[4096];
        for (;;) {
            const int n = epoll_wait(m_epoll, events, 256, 30000);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                fail("(and every other) got no answer for 30 s", -1);
            for (int k = 0; k < n; ++k) {
                const int i = int(events[k].data.u32);
                const ssize_t got = ::recv(m_fds[size_t(i)], buf, sizeof buf, 0);
                if (got == 0)
                    fail("was closed by the server", i);
                if (got < 0) {
                    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
                        continue;
                    fail(std::strerror(errno), i);
                }
                if (!onMessage(i, buf, got))
                    return;
            }
        }
    }

    int m_epoll = -1;
    std::vector<int> m_fds;
    std::vector<QByteArray> m_ids;
    std::vector<int> m_left;
    std::vector<qint64> m_sent;
};

template <class Signal, class Start>
auto runUntil(Driver *d, Signal signal, Start start)
{
    QEventLoop loop;
    std::vector<double> out;
    auto c = QObject::connect(d, signal, &loop, [&](const auto &...v) {
        if constexpr (sizeof...(v) == 1)
            ((out = v), ...);
        loop.quit();
    });
    QMetaObject::invokeMethod(d, start, Qt::QueuedConnection);
    loop.exec();
    QObject::disconnect(c);
    return out;
}

/// The idle connections, held by a second copy of this program (the descriptor limit would not
/// allow both ends of a flood in one process): "open N" opens N connections that never send,
/// from 127.0.x.y (16 per address, as many machines would), "close" closes them all.
int idleDriver(quint16 port)
{
    std::vector<int> fds;
    char line[64];
    while (std::fgets(line, sizeof line, stdin)) {
        if (std::strncmp(line, "open ", 5) == 0) {
            const int count = std::atoi(line + 5);
            for (int i = 0; i < count; ++i) {
                const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
                if (fd < 0)
                    qFatal("socket: %s", std::strerror(errno));
                sockaddr_in local{};
                local.sin_family = AF_INET;
                local.sin_addr.s_addr = htonl(0x7f000000u | (uint32_t(1 + i / 16 / 250) << 8) | uint32_t(2 + i / 16 % 250));
                ::bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local);
                sockaddr_in a{};
                a.sin_family = AF_INET;
                a.sin_port = htons(port);
                a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
                if (::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0)
                    qFatal("connect (idle %d): %s", i, std::strerror(errno));
                fds.push_back(fd);
            }
        } else {
            for (int fd : fds)
                ::close(fd);
            fds.clear();
        }
        std::printf("done\n");
        std::fflush(stdout);
    }
    return 0;
}

/// Resident memory of this process in MB.
double residentMb()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = f.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0) : 0;
}

int envInt(const char *name, int fallback)
{
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok ? v : fallback;
}


} // namespace

int main(int argc, char **argv)
{
    benchEnvironment();
    if (argc == 3 && std::strcmp(argv[1], "--idle") == 0) {
        rlimit lim{};
        getrlimit(RLIMIT_NOFILE, &lim);
        lim.rlim_cur = lim.rlim_max;
        setrlimit(RLIMIT_NOFILE, &lim);
        return idleDriver(quint16(std::atoi(argv[2])));
    }
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const qint64 history = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    std::vector<int> counts;
    for (int i = 2; i < argc; ++i)
        counts.push_back(QByteArray(argv[i]).toInt());
    if (counts.empty())
        counts = {1, 50, 500};
    const int most = *std::max_element(counts.begin(), counts.end());

    test::BoxRecorder boxes;
    boxes.autoDismissAsync = true;
    test::ServerDb store;
    QElapsedTimer timer;
    timer.start();
    fillHistory(store.db, history);
    {
        Transaction t(store.db);
        for (int i = 0; i < std::max(200, most); ++i)
            test::addEmployee(store.db, QStringLiteral("E%1").arg(i), QStringLiteral("First%1").arg(i),
                              QStringLiteral("Last%1").arg(i));
        t.commit();
    }
    std::printf("timesheet of %lld rows, %d employees, built in %.1f s\n", (long long)store.db.countRows("timesheet"),
                std::max(200, most), timer.elapsed() / 1000.0);
    Module1::instance().db.open(store.path, Module1::databasePassword());

    // Floor 1: one durable commit of this store.
    std::vector<double> commits;
    for (int i = 0; i < 300; ++i) {
        timer.restart();
        Module1::instance().db.execScript(QStringLiteral("INSERT INTO Terminal (ip) VALUES ('127.0.0.1')"));
        commits.push_back(timer.nsecsElapsed() / 1e6);
    }
    Module1::instance().db.execScript(QStringLiteral("DELETE FROM Terminal"));
    const Stats commit = stats(commits);

    // The store's share: answering punches with no network, alone and in batches of 50.
    for (int batch : {1, 50}) {
        QList<QByteArray> ids;
        for (int i = 0; i < batch; ++i)
            ids << QByteArray("E") + QByteArray::number(i);
        std::vector<double> per;
        for (int d = 0; d < 12; ++d) {
            Clock::setFixed(QDateTime(QDate(2026, 6, 1).addDays(d), QTime(8, 0)));
            for (int k = 0; k < 6 && per.size() < 600; ++k) {
                timer.restart();
                answerPunches(Module1::instance().db, ids);
                per.push_back(timer.nsecsElapsed() / 1e6 / batch);
            }
        }
        const Stats p = stats(per);
        std::printf("store alone, batches of %d: %.3f ms per punch (median), p99 %.3f ms\n", batch, p.median, p.p99);
    }

    QThread thread;
    thread.start();

    // Floor 2: loopback round trip to a Qt echo server on this thread's event loop.
    QTcpServer echo;
    echo.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&echo, &QTcpServer::newConnection, [&] {
        QTcpSocket *s = echo.nextPendingConnection();
        QObject::connect(s, &QTcpSocket::readyRead, s, [s] { s->write(s->readAll()); });
    });
    auto *pinger = new Driver;
    pinger->moveToThread(&thread);
    const Stats rtt = stats(runUntil(pinger, &Driver::pinged, [&] { pinger->ping(echo.serverPort(), 2000); }));
    std::printf("floors: loopback round trip median %.3f ms p99 %.3f ms; durable commit median %.3f ms p99 %.3f ms\n",
                rtt.median, rtt.p99, commit.median, commit.p99);

    QWidget console;
    PunchServer server(&console, Module1::instance().db);
    if (!server.listen())
        qFatal("listen: %s", qPrintable(server.errorString()));
    QDate day(2027, 1, 1);
    int batches = 0, batched = 0;
    QObject::connect(&server, &PunchServer::punchesAnswered, [&](int n) { ++batches, batched += n; });
    for (int n : counts) {
        batches = batched = 0;
        auto *driver = new Driver;
        driver->moveToThread(&thread);
        runUntil(driver, &Driver::ready, [&] { driver->start(server.port(), n); });
        const int rounds = std::max(2, 6000 / (6 * n));
        std::vector<double> all;
        double seconds = 0;
        for (int r = 0; r < rounds; ++r) {
            Clock::setFixed(QDateTime(day, QTime(8, 0)));
            day = day.addDays(1);
            timer.restart();
            const std::vector<double> lat = runUntil(driver, &Driver::roundDone, [&] { driver->round(); });
            seconds += timer.nsecsElapsed() / 1e9;
            all.insert(all.end(), lat.begin(), lat.end());
        }
        const Stats s = stats(all);
        std::printf("%4d terminals: %6zu punches, send->reply median %.3f ms, p99 %.3f ms, %.0f punches/s, "
                    "%.1f punches per commit\n",
                    n, all.size(), s.median, s.p99, all.size() / seconds, batches ? double(batched) / batches : 0.0);
        QMetaObject::invokeMethod(driver, &QObject::deleteLater);
        for (int i = 0; i < 200 && server.connectionCount() > 0; ++i)
            QThread::msleep(5), QCoreApplication::processEvents();
    }

    // One terminal punching beside idle connections that never send anything.
    const int idle = envInt("BENCH_IDLE", 5000);
    QProcess idler;
    idler.start(QCoreApplication::applicationFilePath(), {"--idle", QString::number(server.port())});
    idler.waitForStarted();
    // The event loop keeps running meanwhile: the server accepts while the driver connects.
    const auto idleCommand = [&](const QByteArray &command) {
        idler.write(command + "\n");
        if (!spinUntil([&] { return idler.canReadLine(); }, 300000))
            qFatal("idle driver: no answer");
        idler.readLine();
    };
    auto *one = new Driver;
    one->moveToThread(&thread);
    runUntil(one, &Driver::ready, [&] { one->start(server.port(), 1); });
    for (int n : {0, idle}) {
        idleCommand("open " + QByteArray::number(n));
        if (!spinUntil([&] { return server.connectionCount() >= n + 1; }, 120000))
            qFatal("bench_load FAILED: only %d of %d idle connections were kept", server.connectionCount() - 1, n);
        std::vector<double> all;
        for (int r = 0; r < 100; ++r) {
            Clock::setFixed(QDateTime(day, QTime(8, 0)));
            day = day.addDays(1);
            const std::vector<double> lat = runUntil(one, &Driver::roundDone, [&] { one->round(); });
            all.insert(all.end(), lat.begin(), lat.end());
        }
        const Stats s = stats(all);
        std::printf("1 terminal beside %5d idle connections: send->reply median %.3f ms, p99 %.3f ms\n", n,
                    s.median, s.p99);
        idleCommand("close");
        spinUntil([&] { return server.connectionCount() <= 1; }, 60000);
        boxes.clear();
    }
    QMetaObject::invokeMethod(one, &QObject::deleteLater);
    spinUntil([&] { return server.connectionCount() == 0; }, 10000);

    // Floods of idle connections that come and go: memory must come back, not ratchet.
    const int floods = envInt("BENCH_FLOODS", 10);
    // As many as the descriptor limit lets the server hold (20,000 where it allows).
    const int floodSize = std::min(envInt("BENCH_FLOOD_SIZE", 20000), server.connectionCap() - 8);
    spinUntil([] { return false; }, 300);
    const double baseline = residentMb();
    double afterFirst = 0;
    for (int f = 1; f <= floods; ++f) {
        idleCommand("open " + QByteArray::number(floodSize));
        if (!spinUntil([&] { return server.connectionCount() >= floodSize; }, 120000))
            qFatal("bench_load FAILED: flood %d: only %d of %d connections kept", f, server.connectionCount(), floodSize);
        const double open = residentMb();
        idleCommand("close");
        spinUntil([&] { return server.connectionCount() == 0; }, 120000);
        boxes.clear();
        spinUntil([] { return false; }, 300); // deleted-later objects go
        const double after = residentMb();
        if (f == 1)
            afterFirst = after;
        std::printf("flood %2d of %d idle connections: RSS %.0f MB while open, %.0f MB after they closed\n", f,
                    floodSize, open, after);
    }
    if (floods > 0)
        std::printf("RSS baseline %.0f MB, after the first flood %.0f MB, after flood %d %.0f MB (%.2fx the first)\n",
                    baseline, afterFirst, floods, residentMb(), residentMb() / afterFirst);
    idler.closeWriteChannel();
    idler.waitForFinished();

    const qint64 rows = Module1::instance().db.countRows("timesheet");
    std::printf("timesheet now %lld rows (%lld added)\n", (long long)rows, (long long)(rows - history));
    thread.quit();
    thread.wait();
    return 0;
}

#include "bench_load.moc"
