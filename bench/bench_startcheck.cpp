// The start-up check of punched.mdb on a large file: how long the quick check at start takes
// (it must stay inside the start budget) and how long the whole check then runs beside it.
//   bench_startcheck [rows=5000000]
#include "database.h"
#include "module1.h"
#include "storecheck.h"
#include "testdb.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <cstdio>

using namespace zarvo;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const qint64 rows = argc > 1 ? QByteArray(argv[1]).toLongLong() : 5000000;
    test::ServerDb t;
    QElapsedTimer timer;
    timer.start();
    t.db.execScript(QStringLiteral(
        "BEGIN; WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x+1 FROM c WHERE x < %1) "
        "INSERT INTO timesheet SELECT 'E' || (x % 2000), date('2026-12-08', '-' || (x / 2000) || ' days'), "
        "'08:00:00', '12:00:00', '13:00:00', '17:00:00', NULL, NULL FROM c; COMMIT;").arg(rows - 1));
    t.db.close();
    std::printf("timesheet of %lld rows built in %.1f s\n", (long long)rows, timer.elapsed() / 1000.0);

    for (int run = 0; run < 3; ++run) {
        DatabaseSession db;
        timer.restart();
        db.open(t.path, Module1::databasePassword());
        const double openMs = timer.nsecsElapsed() / 1e6;
        timer.restart();
        const StoreCheckResult r = checkStore(db, Module1::programTables(), Module1::StartCheckBudgetMs);
        const double checkMs = timer.nsecsElapsed() / 1e6;
        std::printf("open %.1f ms, start check %.1f ms (budget %d ms), whole check finished at start: %s, fault: %s\n",
                    openMs, checkMs, Module1::StartCheckBudgetMs, r.pending ? "no" : "yes",
                    r.fault.isEmpty() ? "none" : qPrintable(r.fault));
        if (r.pending) {
            QEventLoop loop;
            QString fault;
            r.pending->onDone(&loop, [&](const QString &f) {
                fault = f.isEmpty() ? QStringLiteral("none") : f;
                loop.quit();
            });
            loop.exec();
            std::printf("  whole check ended %.1f s after start, fault: %s\n", timer.elapsed() / 1000.0,
                        qPrintable(fault));
        }
    }
    return 0;
}
