// Prints how fast the summary report of many employees shows: from the end of the run (the
// `summary` table filled) to the first page drawn in the preview inside the console, and the
// whole report written as PDF.
//   bench_report [employees=200] [repeats=7]
#include "benchstats.h"
#include "consolewindow.h"
#include "database.h"
#include "pageview.h"
#include "payrollreports.h"
#include "reportdocument.h"
#include "testdb.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QMdiArea>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

using namespace zarvo;
using namespace zarvo::report;

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const int employees = argc > 1 ? std::atoi(argv[1]) : 200;
    const int repeats = argc > 2 ? std::atoi(argv[2]) : 7;

    test::ServerDb t;
    t.db.execScript(QStringLiteral(
        "BEGIN; WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x+1 FROM c WHERE x < %1) "
        "INSERT INTO summary SELECT 'E' || x, 'First' || x || ' Last' || x, 9 + (x % 7) / 4.0, 10.5, 15.75, "
        "4, 5 + (x % 7) / 4.0, 42, 78.75 + x, 120.75 + x FROM c; COMMIT;").arg(employees - 1));

    QMainWindow console;
    auto *area = new QMdiArea;
    console.setCentralWidget(area);
    console.resize(1280, 960);
    MdiWindowHost host(area, &console);
    setWindowHost(&host);
    console.show();

    QTemporaryDir dir;
    std::vector<double> firstPage, pdf;
    int pages = 0;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer timer;
        timer.start();
        // What the run does once `summary` is filled: read it, bind, show, draw page 1.
        RecordSet rs;
        rs.open(t.db, QStringLiteral("Select * from summary"));
        PayrollReport &r = summaryReport();
        r.restoreDesign();
        r.design().setCaption(QStringLiteral("Section4"), QStringLiteral("lblCompany"), QStringLiteral("Harbor Bakery Ltd."));
        r.bind(rs);
        ReportPreview *preview = r.show();
        // Drawn into a pixmap like the screen would: the page view's own paint event runs.
        const QPixmap shown = preview->pageView()->grab();
        firstPage.push_back(timer.nsecsElapsed() / 1e6);
        if (preview->pageView()->pagePicture().isNull() || shown.isNull()) {
            std::fprintf(stderr, "the first page was not drawn\n");
            return 1;
        }
        if (i == 0)
            std::printf("layout alone: %.1f ms\n", [&] {
                QElapsedTimer l;
                l.start();
                ReportDocument d(r.design(), r.data(), PageSetup::a4());
                return l.nsecsElapsed() / 1e6;
            }());
        pages = preview->document()->pageCount();

        timer.restart();
        const auto doc = preview->document();
        if (!doc->writePdf(dir.filePath(QStringLiteral("summary.pdf")))) {
            std::fprintf(stderr, "PDF could not be written\n");
            return 1;
        }
        pdf.push_back(timer.nsecsElapsed() / 1e6);
    }
    const Stats a = stats(firstPage), b = stats(pdf);
    std::printf("summary of %d employees: %d pages\n", employees, pages);
    std::printf("run end to first page in the preview: median %.1f ms, worst %.1f ms (goal 300 ms)\n",
                a.median, a.p99);
    std::printf("whole report as PDF: median %.1f ms, worst %.1f ms (goal 2000 ms), %lld bytes\n", b.median,
                b.p99, (long long)QFileInfo(dir.filePath(QStringLiteral("summary.pdf"))).size());
    setWindowHost(nullptr);
    return 0;
}
