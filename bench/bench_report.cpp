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
#include "module1.h"
#include "reportview.h"
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
    Module1::instance().db.open(t.path, Module1::databasePassword());
    // The run's rows, as it stored them in `summary`.
    QList<SummaryRow> rows;
    for (int x = 0; x < employees; ++x) {
        SummaryRow r;
        r.empId = QStringLiteral("E%1").arg(x);
        r.empName = QStringLiteral("First%1 Last%1").arg(x);
        r.totals = PayPeriodTotals{9 + (x % 7) / 4.0, 4, 5 + (x % 7) / 4.0};
        r.wage = 10.5;
        r.otWage = 15.75;
        r.earnings = Earnings{42, 78.75 + x, 120.75 + x};
        rows.append(r);
    }

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
    // The run's end: `summary` filled, the header captions worked out, the hook called.
    SummaryCaptions captions;
    captions.header.periodStart = reportDate(QDate(2024, 1, 1));
    captions.header.periodEnd = reportDate(QDate(2024, 1, 14));
    captions.header.today = reportDate(QDate(2024, 1, 15));
    captions.header.company = CompanyFacts{true, QStringLiteral("Harbor Bakery Ltd."),
                                           QStringLiteral("12 Quay Street, Portsmouth\nHampshire, United Kingdom PO1 2AB"),
                                           QStringLiteral("023 9200 1234"), QString()};
    captions.period = PayPeriod{QDate(2024, 1, 1), QDate(2024, 1, 14)};
    for (int e = 0; e < employees; ++e)
        captions.ids << QStringLiteral("E%1").arg(e);
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer timer;
        timer.start();
        showSummaryReport(nullptr, captions, rows);
        auto *preview = qobject_cast<ReportPreview *>(windowHost()->find(QStringLiteral("Report:Summary")));
        // Drawn into a pixmap like the screen would: the page view's own paint event runs.
        const QPixmap shown = preview ? preview->pageView()->grab() : QPixmap();
        firstPage.push_back(timer.nsecsElapsed() / 1e6);
        if (!preview || preview->pageView()->pagePicture().isNull() || shown.isNull()) {
            std::fprintf(stderr, "the first page was not drawn\n");
            return 1;
        }
        pages = preview->document()->pageCount();
        QCoreApplication::processEvents(); // the exceptions line follows the first page

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
