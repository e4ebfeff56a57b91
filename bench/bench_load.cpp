// Punch server under load: N terminals on loopback, each punching its own employee until the
// day is full, day after day, against 200+ employees and a timesheet of a million rows.
// Prints send->reply latency (median, p99) and punches/s beside the floors measured in the same
// run: the loopback round trip through both event loops, and one durable commit.
//   bench_load [history_rows=1000000] [terminal counts...=1 50 500]
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
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace zarvo;

namespace {

/// The terminals, on a thread of their own so that the server's thread only serves.
class Driver : public QObject {
    Q_OBJECT
public:
    void start(quint16 port, int count)
    {
        m_ready = 0;
        for (int i = 0; i < count; ++i) {
            auto *s = new QTcpSocket(this);
            m_sockets.push_back(s);
            m_ids.push_back(QByteArray("E") + QByteArray::number(i));
            m_left.push_back(0);
            m_sent.emplace_back();
            m_accepted.push_back(false);
            connect(s, &QTcpSocket::readyRead, this, [this, i] { reply(i); });
            s->connectToHost(QHostAddress::LocalHost, port);
        }
    }
    void round()
    {
        m_latencies.clear();
        m_active = int(m_sockets.size());
        for (size_t i = 0; i < m_sockets.size(); ++i) {
            m_left[i] = 6;
            send(int(i));
        }
    }
    /// Round trips to an echo server: the floor of network and event loops.
    void ping(quint16 port, int count)
    {
        auto *s = new QTcpSocket(this);
        s->connectToHost(QHostAddress::LocalHost, port);
        s->waitForConnected(5000);
        auto times = std::make_shared<std::vector<double>>();
        auto timer = std::make_shared<QElapsedTimer>();
        connect(s, &QTcpSocket::readyRead, this, [=, this] {
            s->readAll();
            times->push_back(timer->nsecsElapsed() / 1e6);
            if (int(times->size()) == count) {
                emit pinged(*times);
                s->deleteLater();
                return;
            }
            timer->start();
            s->write("E1");
        });
        timer->start();
        s->write("E1");
    }
signals:
    void ready();
    void roundDone(std::vector<double> latencies);
    void pinged(std::vector<double> times);

private:
    void send(int i)
    {
        m_sent[i].start();
        m_sockets[i]->write(m_ids[i]);
    }
    void reply(int i)
    {
        QByteArray data = m_sockets[i]->readAll();
        if (!m_accepted[i] && data.startsWith("CRA")) {
            m_accepted[i] = true;
            data = data.mid(3);
            if (++m_ready == int(m_sockets.size()))
                emit ready();
            if (data.isEmpty())
                return;
        }
        m_latencies.push_back(m_sent[i].nsecsElapsed() / 1e6);
        if (--m_left[i] > 0)
            send(i);
        else if (--m_active == 0)
            emit roundDone(m_latencies);
    }

    std::vector<QTcpSocket *> m_sockets;
    std::vector<QByteArray> m_ids;
    std::vector<int> m_left;
    std::vector<QElapsedTimer> m_sent;
    std::vector<bool> m_accepted;
    std::vector<double> m_latencies;
    int m_ready = 0, m_active = 0;
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

void fillHistory(DatabaseSession &db, qint64 rows)
{
    db.execScript(QStringLiteral(
        "BEGIN; WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x+1 FROM c WHERE x < %1) "
        "INSERT INTO timesheet SELECT 'E' || (x % 200), date('2026-12-31', '-' || (x / 200) || ' days'), "
        "'08:00:00', '12:00:00', '13:00:00', '17:00:00', NULL, NULL FROM c; COMMIT;").arg(rows - 1));
}
} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    qputenv("ZARVO_PUNCH_PORT", "0");
    QApplication app(argc, argv);
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

    // Floor 2: loopback round trip between the two threads' event loops.
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
    PunchServer server(&console);
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
    const qint64 rows = Module1::instance().db.countRows("timesheet");
    std::printf("timesheet now %lld rows (%lld added)\n", (long long)rows, (long long)(rows - history));
    thread.quit();
    thread.wait();
    return 0;
}

#include "bench_load.moc"
