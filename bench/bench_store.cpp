// Prints the cost of the store's hot paths: one punch on a small and a large timesheet, one
// durable commit, and opening a record set over every row of a large timesheet.
//   bench_store [small_rows=10000] [large_rows=5000000] [open_rows=500000] [punches=3000]
#include "benchstats.h"
#include "clock.h"
#include "database.h"
#include "punchrule.h"
#include "testdb.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace zarvo;

namespace {

// History: 2000 employees, one full day each per row, days going back from yesterday.
void fill(DatabaseSession &db, qint64 rows)
{
    db.execScript(QStringLiteral(
        "BEGIN; WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x+1 FROM c WHERE x < %1) "
        "INSERT INTO timesheet SELECT 'E' || (x % 2000), date('2026-12-08', '-' || (x / 2000) || ' days'), "
        "'08:00:00', '12:00:00', '13:00:00', '17:00:00', NULL, NULL FROM c; COMMIT;").arg(rows - 1));
}

double ms(qint64 ns) { return ns / 1e6; }

void benchPunch(qint64 rows, int punches)
{
    test::ServerDb t;
    QElapsedTimer timer;
    timer.start();
    fill(t.db, rows);
    std::printf("timesheet of %lld rows built in %.1f s\n", (long long)rows, timer.elapsed() / 1000.0);
    // Fresh days for 500 employees with long histories: each punch fills one slot of today's row.
    std::vector<double> costs;
    QDateTime now(QDate(2026, 12, 9), QTime(6, 0));
    for (int i = 0; i < punches; ++i) {
        Clock::setFixed(now.addSecs(i));
        const QString id = QStringLiteral("E%1").arg(i % 500);
        timer.restart();
        RecordPunch(t.db, id);
        costs.push_back(ms(timer.nsecsElapsed()));
    }
    Clock::clearFixed();
    const Stats s = stats(costs);
    std::printf("RecordPunch on %lld rows: median %.3f ms, p99 %.3f ms over %d punches\n",
                (long long)rows, s.median, s.p99, punches);
}

void benchCommit()
{
    test::ServerDb t;
    std::vector<double> costs;
    QElapsedTimer timer;
    for (int i = 0; i < 500; ++i) {
        timer.restart();
        t.db.execScript(QStringLiteral("INSERT INTO Terminal (ip) VALUES ('127.0.0.1')"));
        costs.push_back(ms(timer.nsecsElapsed()));
    }
    const Stats s = stats(costs);
    std::printf("one durable commit (WAL, synchronous=FULL): median %.3f ms, p99 %.3f ms\n", s.median, s.p99);
    t.db.execScript(QStringLiteral("PRAGMA journal_mode=DELETE"));
    costs.clear();
    for (int i = 0; i < 200; ++i) {
        timer.restart();
        t.db.execScript(QStringLiteral("INSERT INTO Terminal (ip) VALUES ('127.0.0.1')"));
        costs.push_back(ms(timer.nsecsElapsed()));
    }
    const Stats r = stats(costs);
    std::printf("one durable commit (rollback journal, synchronous=FULL): median %.3f ms, p99 %.3f ms\n",
                r.median, r.p99);
}

void benchOpen(qint64 rows)
{
    test::ServerDb t;
    fill(t.db, rows);
    QElapsedTimer timer;
    timer.start();
    DatabaseSession fresh;
    fresh.open(t.path, QStringLiteral("pluma"));
    std::printf("opening the file (key derivation): %.1f ms\n", ms(timer.nsecsElapsed()));
    {
        DatabaseSession started;
        started.open(t.path, QStringLiteral("pluma"));
        timer.restart();
        started.prewarm();
        std::printf("starting the background listing: %.1f ms on the caller's thread\n", ms(timer.nsecsElapsed()));
        QThread::msleep(2000); // a server idles after start-up; the listing finishes meanwhile
        timer.restart();
        RecordSet rs;
        rs.open(started, QStringLiteral("Select * from timesheet"));
        std::printf("first record set over all %d rows after start-up: open %.1f ms\n", rs.recordCount(),
                    ms(timer.nsecsElapsed()));
    }
    for (int run = 0; run < 3; ++run) {
        timer.restart();
        RecordSet rs;
        rs.open(fresh, QStringLiteral("Select * from timesheet"));
        const double openMs = ms(timer.nsecsElapsed());
        timer.restart();
        qint64 filled = 0;
        for (rs.moveFirst(); !rs.eof(); rs.moveNext())
            filled += rs.value(QStringLiteral("in1")).isValid();
        std::printf("record set over all %d rows: open %.1f ms (run %d), walk of every row %.1f ms (%lld)\n",
                    rs.recordCount(), openMs, run + 1, ms(timer.nsecsElapsed()), (long long)filled);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const auto arg = [&](int i, qint64 fallback) { return argc > i ? QByteArray(argv[i]).toLongLong() : fallback; };
    benchCommit();
    benchPunch(arg(1, 10000), int(arg(4, 3000)));
    benchOpen(arg(3, 500000));
    benchPunch(arg(2, 5000000), int(arg(4, 3000)));
    return 0;
}
