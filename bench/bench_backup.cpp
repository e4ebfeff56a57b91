// The copies of the database: how long a punch waits while the daily copy of a large file is
// written (one terminal punching on loopback through the punch server, before and during the
// copy), and how long the upgrade of a large file of the delivered layout takes at start.
//   bench_backup [backup_rows=1000000] [upgrade_rows=5000000]
#include "backups.h"
#include "benchstats.h"
#include "boxrecorder.h"
#include "clock.h"
#include "layout.h"
#include "module1.h"
#include "punchserver.h"
#include "serverlayout.h"
#include "testdb.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>
#include <sys/socket.h>
#include <unistd.h>

using namespace zarvo;

namespace {

/// One terminal punching as fast as the server answers, on a thread of its own; each punch's
/// send-to-reply time is kept with the moment it was sent.
class Terminal {
public:
    explicit Terminal(quint16 port) : m_fd(connectLoopback(port))
    {
        m_thread = std::thread([this] { run(); });
    }
    ~Terminal()
    {
        m_stop = true;
        // The server's loop no longer runs: a punch in flight gets no reply, so its wait ends here.
        ::shutdown(m_fd, SHUT_RDWR);
        m_thread.join();
        ::close(m_fd);
    }
    /// Latencies (ms) of punches sent between `from` and `to` (ms since the terminal started).
    std::vector<double> between(qint64 from, qint64 to)
    {
        std::lock_guard lock(m_mutex);
        std::vector<double> out;
        for (const auto &[at, ms] : m_punches)
            if (at >= from && at < to)
                out.push_back(ms);
        return out;
    }
    qint64 elapsed() const { return m_clock.elapsed(); }

private:
    void run()
    {
        char buf[512];
        if (::recv(m_fd, buf, sizeof buf, 0) <= 0) // "CRA" once the operator's box is gone
            return;
        m_clock.start();
        for (int i = 0; !m_stop; ++i) {
            const QByteArray id = "E" + QByteArray::number(i % 2000);
            const qint64 at = m_clock.elapsed();
            QElapsedTimer t;
            t.start();
            if (::send(m_fd, id.constData(), size_t(id.size()), 0) != id.size() || ::recv(m_fd, buf, sizeof buf, 0) <= 0)
                return;
            std::lock_guard lock(m_mutex);
            m_punches.emplace_back(at, t.nsecsElapsed() / 1e6);
        }
    }
    int m_fd;
    std::atomic<bool> m_stop{false};
    QElapsedTimer m_clock;
    std::mutex m_mutex;
    std::vector<std::pair<qint64, double>> m_punches;
    std::thread m_thread;
};

void benchBackup(qint64 rows)
{
    test::BoxRecorder boxes;
    boxes.autoDismissAsync = true;
    test::ServerDb store;
    QElapsedTimer timer;
    timer.start();
    fillHistory(store.db, rows, 2000);
    {
        Transaction t(store.db);
        for (int i = 0; i < 2000; ++i)
            test::addEmployee(store.db, QStringLiteral("E%1").arg(i), QStringLiteral("F"), QStringLiteral("L"));
        t.commit();
    }
    store.db.close();
    std::printf("file of %lld timesheet rows built in %.1f s (%.0f MB)\n", (long long)rows, timer.elapsed() / 1000.0,
                QFileInfo(store.path).size() / 1e6);
    Module1::instance().db.open(store.path, Module1::databasePassword());
    // A new day every second, so no employee's day fills up.
    QDate day(2027, 1, 1);
    Clock::setFixed(QDateTime(day, QTime(8, 0)));
    QTimer days;
    QObject::connect(&days, &QTimer::timeout, [&] { Clock::setFixed(QDateTime(day = day.addDays(1), QTime(8, 0))); });
    days.start(1000);

    QWidget console;
    PunchServer server(&console, Module1::instance().db);
    if (!server.listen())
        qFatal("listen: %s", qPrintable(server.errorString()));
    Terminal terminal(server.port());
    spinUntil([] { return false; }, 3000);
    const qint64 start = terminal.elapsed();
    DatabaseBackups backups(store.path, Module1::databasePassword());
    bool finished = false;
    QString outcome;
    QObject::connect(&backups, &DatabaseBackups::copied, [&](const QString &p) { finished = true, outcome = p; });
    QObject::connect(&backups, &DatabaseBackups::failed, [&](const QString &t) { finished = true, outcome = t; });
    timer.restart();
    backups.backUpNow();
    while (!finished)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const double copySeconds = timer.elapsed() / 1000.0;
    const qint64 end = terminal.elapsed();
    spinUntil([] { return false; }, 1000);
    const std::vector<double> before = terminal.between(0, start), during = terminal.between(start, end);
    const Stats b = stats(before), d = stats(during);
    std::printf("copy written and checked in %.1f s: %s\n", copySeconds, qPrintable(outcome));
    std::printf("punches before the copy: %zu, send->reply median %.3f ms, p99 %.3f ms, max %.3f ms\n", before.size(),
                b.median, b.p99, *std::max_element(before.begin(), before.end()));
    std::printf("punches during the copy: %zu, send->reply median %.3f ms, p99 %.3f ms, max %.3f ms\n", during.size(),
                d.median, d.p99, *std::max_element(during.begin(), during.end()));
    Clock::clearFixed();
}

void benchUpgrade(qint64 rows)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/punched.mdb");
    test::createDeliveredServerDatabase(path);
    QElapsedTimer timer;
    timer.start();
    {
        DatabaseSession db;
        db.open(path, Module1::databasePassword());
        fillHistory(db, rows, 2000);
    }
    std::printf("delivered layout, %lld timesheet rows, built in %.1f s (%.0f MB)\n", (long long)rows,
                timer.elapsed() / 1000.0, QFileInfo(path).size() / 1e6);
    timer.restart();
    DatabaseSession db;
    db.open(path, Module1::databasePassword());
    const LayoutUpgrade u =
        upgradeLayout(db, path, Module1::databasePassword(), ServerLayout::steps(), QDateTime::currentDateTime());
    const double total = timer.elapsed() / 1000.0;
    timer.restart();
    DatabaseSession copy;
    copy.openReadOnly(u.backup, Module1::databasePassword());
    std::printf("upgrade from layout %d to %d (copy first, then the steps) in %.1f s; copy of %.0f MB, %lld rows\n",
                u.from, u.to, total, QFileInfo(u.backup).size() / 1e6, (long long)copy.countRows("timesheet"));
}

} // namespace

int main(int argc, char **argv)
{
    benchEnvironment();
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const qint64 backupRows = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    const qint64 upgradeRows = argc > 2 ? QByteArray(argv[2]).toLongLong() : 5000000;
    if (backupRows > 0)
        benchBackup(backupRows);
    if (upgradeRows > 0)
        benchUpgrade(upgradeRows);
    return 0;
}
