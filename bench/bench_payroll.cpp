// Payroll runs beside live punching: the summary run for 200 employees over one year of
// punches, beside the floor of the same period queries alone, and the worst delay of a
// terminal's punch while the run is being built (the run shares the connection with punches).
//   bench_payroll [employees=200] [days=365]
#include "benchstats.h"
#include "boxrecorder.h"
#include "clock.h"
#include "database.h"
#include "module1.h"
#include "payrolldata.h"
#include "payrollruns.h"
#include "punchserver.h"
#include "testdb.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <arpa/inet.h>
#include <atomic>
#include <cstdio>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace zarvo;

namespace {
qint64 nowNs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

/// Starts the run and returns once it has finished (the event loop turning meanwhile).
void runOnEventLoop(PayrollRun &run)
{
    QEventLoop loop;
    QObject::connect(&run, &PayrollRun::finished, &loop, &QEventLoop::quit);
    run.start();
    loop.exec();
}

/// One terminal on its own thread: a plain blocking socket that punches employee after
/// employee, one punch every `gapMs`, and keeps each send->reply time.
struct Terminal {
    std::atomic<bool> stop{false};
    std::atomic<bool> ready{false};
    std::vector<double> latencies;
    std::thread thread;

    void start(quint16 port, int employees, int gapMs)
    {
        thread = std::thread([=, this] {
            const int fd = connectLoopback(port);
            char buf[256];
            if (::recv(fd, buf, sizeof buf, 0) <= 0) // "CRA"
                qFatal("no CRA");
            ready = true;
            for (int i = 0; !stop; ++i) {
                const QByteArray id = "E" + QByteArray::number(i % employees);
                const qint64 t0 = nowNs();
                if (::send(fd, id.constData(), size_t(id.size()), 0) < 0 || ::recv(fd, buf, sizeof buf, 0) <= 0)
                    break;
                latencies.push_back((nowNs() - t0) / 1e6);
                std::this_thread::sleep_for(std::chrono::milliseconds(gapMs));
            }
            ::close(fd);
        });
    }
};
} // namespace

int main(int argc, char **argv)
{
    benchEnvironment();
    QApplication app(argc, argv);
    const int employees = argc > 1 ? QByteArray(argv[1]).toInt() : 200;
    const int days = argc > 2 ? QByteArray(argv[2]).toInt() : 365;
    test::BoxRecorder boxes;
    boxes.autoDismissAsync = true;
    test::ServerDb store;
    QElapsedTimer timer;
    timer.start();
    // Two pairs a day, one of them past 4 hours, for every employee, every day of 2026.
    store.db.execScript(QStringLiteral(
        "BEGIN; WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x+1 FROM c WHERE x < %1) "
        "INSERT INTO timesheet SELECT 'E' || (x % %2), date('2026-01-01', '+' || (x / %2) || ' days'), "
        "'08:00:00', '12:00:00', '13:00:00', '17:31:00', NULL, NULL FROM c; COMMIT;")
                            .arg(qint64(employees) * days - 1)
                            .arg(employees));
    {
        Transaction t(store.db);
        for (int i = 0; i < employees; ++i)
            test::addEmployee(store.db, QStringLiteral("E%1").arg(i), QStringLiteral("First%1").arg(i),
                              QStringLiteral("Last%1").arg(i));
        t.commit();
    }
    std::printf("timesheet of %lld rows (%d employees x %d days), built in %.1f s\n",
                (long long)store.db.countRows("timesheet"), employees, days, timer.elapsed() / 1000.0);
    DatabaseSession &db = Module1::instance().db;
    db.open(store.path, Module1::databasePassword());
    const PayPeriod year{QDate(2026, 1, 1), QDate(2026, 1, 1).addDays(days - 1)};
    QStringList ids;
    for (int i = 0; i < employees; ++i)
        ids << QStringLiteral("E%1").arg(i);

    // Floor: the same period queries alone, each walked to its end.
    std::vector<double> floors;
    for (int rep = 0; rep < 3; ++rep) {
        timer.restart();
        qint64 rows = 0;
        for (const QString &id : ids) {
            RecordSet rs = openPeriod(db, id, year);
            for (; !rs.eof(); rs.moveNext())
                rows += rs.value(QStringLiteral("in1")).isValid();
        }
        floors.push_back(timer.nsecsElapsed() / 1e6);
        if (rows != qint64(employees) * days)
            qFatal("floor read %lld rows", (long long)rows);
    }
    const Stats floor = stats(floors);

    // The summary run alone (stepping on the event loop), three times.
    std::vector<double> alone;
    for (int rep = 0; rep < 3; ++rep) {
        SummaryRun run(db, year, ids);
        timer.restart();
        runOnEventLoop(run);
        alone.push_back(timer.nsecsElapsed() / 1e6);
        if (run.outcome() != PayrollRun::Outcome::Report)
            qFatal("run failed: %s", qPrintable(run.error()));
    }
    const Stats runAlone = stats(alone);
    // The same run without giving way to the event loop: the cost of the pauses between steps.
    timer.restart();
    {
        SummaryRun run(db, year, ids);
        run.runToEnd();
    }
    const double straight = timer.nsecsElapsed() / 1e6;
    std::printf("period queries alone: %.0f ms (median of 3); summary run alone: %.0f ms (median of 3), "
                "%lld summary rows; the same run without pauses: %.0f ms\n",
                floor.median, runAlone.median, (long long)db.countRows("summary"), straight);

    // Punches while the run is being built: the terminal punches every 2 ms on a day outside
    // the period; its worst send->reply time during the run is the figure.
    QWidget console;
    PunchServer server(&console, Module1::instance().db);
    if (!server.listen())
        qFatal("listen: %s", qPrintable(server.errorString()));
    Clock::setFixed(QDateTime(QDate(2027, 1, 1), QTime(8, 0)));
    Terminal terminal;
    terminal.start(server.port(), employees, 2);
    while (!terminal.ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    // Idle punching first: the reference without a run.
    timer.restart();
    while (timer.elapsed() < 1000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    const size_t idleCount = terminal.latencies.size();
    const Stats idle = stats(std::vector<double>(terminal.latencies.begin(), terminal.latencies.end()));
    SummaryRun run(db, year, ids);
    // The longest time the event loop was away, seen by a zero timer.
    QTimer probe;
    qint64 lastTurn = nowNs();
    double longestTurn = 0;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 t = nowNs();
        longestTurn = std::max(longestTurn, (t - lastTurn) / 1e6);
        lastTurn = t;
    });
    probe.start(0);
    timer.restart();
    runOnEventLoop(run);
    probe.stop();
    const double during = timer.nsecsElapsed() / 1e6;
    const size_t endCount = terminal.latencies.size();
    terminal.stop = true;
    for (int i = 0; i < 50; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    terminal.thread.join();
    std::vector<double> inRun(terminal.latencies.begin() + qsizetype(idleCount),
                              terminal.latencies.begin() + qsizetype(endCount));
    const double worst = inRun.empty() ? 0 : *std::max_element(inRun.begin(), inRun.end());
    const Stats s = inRun.empty() ? Stats{0, 0} : stats(inRun);
    std::printf("idle punching: %zu punches, median %.2f ms, p99 %.2f ms\n", idleCount, idle.median, idle.p99);
    std::printf("summary run with a terminal punching: %.0f ms; %zu punches answered during it, median %.2f ms, "
                "p99 %.2f ms, worst %.2f ms; longest event-loop turn %.1f ms\n",
                during, inRun.size(), s.median, s.p99, worst, longestTurn);
    return 0;
}
