// The report window inside the console: one per design, reused by later runs; page navigation;
// "Save as PDF…", printing and "Export…" through the dialog seam; the not-counted line.
#include "boxrecorder.h"
#include "payrollreports.h"
#include "pageview.h"
#include "reportdocument.h"
#include "workedexamples.h"
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace zarvo;
using namespace zarvo::report;

namespace {
DataTable manyEmployees(int n)
{
    DataTable t = worked::summaryRows();
    t.rows.clear();
    for (int i = 0; i < n; ++i)
        t.rows.append({QString("E%1").arg(i), QString("Employee %1").arg(i), 9.0, 4.0, 5.0, 10.0, 15.0,
                       40.0, 75.0, 115.0});
    return t;
}

QString pdfText(const QString &pdf)
{
    QProcess p;
    p.start("pdftotext", {"-layout", pdf, "-"});
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput());
}
} // namespace

class TestReportPreview : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<QMainWindow> console;
    QMdiArea *area = nullptr;
    std::unique_ptr<MdiWindowHost> host;

    ReportPreview *openSummary(int rows)
    {
        PayrollReport &r = summaryReport();
        r.restoreDesign();
        r.design() = worked::summary(worked::logoFile(dir.path()));
        r.bind(manyEmployees(rows));
        return r.show();
    }
    QAction *action(ReportPreview *p, const char *name) { return p->findChild<QAction *>(name); }

private slots:
    void init()
    {
        console = std::make_unique<QMainWindow>();
        area = new QMdiArea;
        console->setCentralWidget(area);
        console->resize(1100, 900);
        host = std::make_unique<MdiWindowHost>(area, console.get());
        setWindowHost(host.get());
        console->show();
    }
    void cleanup()
    {
        setWindowHost(nullptr);
        host.reset();
        console.reset();
    }

    void onePreviewPerDesignReusedByLaterRuns()
    {
        ReportPreview *first = openSummary(2);
        QVERIFY(first);
        QCOMPARE(first->objectName(), QString("Summary"));
        QCOMPARE(area->subWindowList().size(), 1);
        QCOMPARE(area->subWindowList().first()->windowTitle(), QString("Timesheet Report Summary"));
        QCOMPARE(first->document()->pageCount(), 1);
        first->showPage(0);

        ReportPreview *again = openSummary(12);
        QCOMPARE(again, first);
        QCOMPARE(area->subWindowList().size(), 1);
        QCOMPARE(again->document()->pageCount(), 3); // the new rows are shown
        QCOMPARE(again->page(), 0);

        PayrollReport &d = detailReport();
        d.restoreDesign();
        d.bind(worked::detailRows());
        ReportPreview *detail = d.show();
        QVERIFY(detail && detail != first);
        QCOMPARE(area->subWindowList().size(), 2);
        QCOMPARE(area->activeSubWindow()->windowTitle(), QString("Full Detail Report"));
        // Captions left unset keep the design's own text.
        QCOMPARE(detail->document()->design().caption("Section4", "Label16"), QString("Label16"));

        // Closed by the user, the next run opens a new window for the same report.
        area->activeSubWindow()->close();
        QTRY_COMPARE(area->subWindowList().size(), 1);
        QVERIFY(d.show());
        QCOMPARE(area->subWindowList().size(), 2);
    }

    void pageNavigation()
    {
        ReportPreview *p = openSummary(12);
        auto *box = p->findChild<QSpinBox *>("PageNumber");
        auto *count = p->findChild<QLabel *>("PageCount");
        QCOMPARE(count->text().trimmed(), QString("of 3"));
        QVERIFY(!action(p, "PreviousPage")->isEnabled());
        action(p, "NextPage")->trigger();
        QCOMPARE(p->page(), 1);
        QCOMPARE(box->value(), 2);
        action(p, "LastPage")->trigger();
        QCOMPARE(p->page(), 2);
        QVERIFY(!action(p, "NextPage")->isEnabled());
        box->setValue(1);
        QCOMPARE(p->page(), 0);
        // The page on screen is the document's page, drawn at the view's zoom.
        p->setZoom(1.0);
        QTest::qWait(0);
        p->pageView()->repaint();
        const QImage shown = p->pageView()->pagePicture();
        QVERIFY(!shown.isNull());
        QCOMPARE(shown.size(), p->document()->renderPage(0, p->pageView()->logicalDpiX() * shown.devicePixelRatio()).size());
        p->window()->grab().save(QCoreApplication::applicationDirPath() + "/preview.png");
    }

    void saveAsPdf()
    {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("pdftotext is not installed");
        test::BoxRecorder boxes;
        ReportPreview *p = openSummary(12);
        const QString path = dir.filePath("summary"); // no suffix: ".pdf" is added
        boxes.saveFiles.push_back(path);
        action(p, "SaveAsPdf")->trigger();
        QCOMPARE(boxes.saveDialogTitles, QStringList{"Save as PDF"});
        QVERIFY(boxes.boxes.isEmpty());
        const QString text = pdfText(path + ".pdf");
        QVERIFY(text.contains("Employee 11"));
        QVERIFY(text.contains("Page 3 of 3"));

        // Any other suffix gets ".pdf": a database chosen by mistake is never written over.
        QFile db(dir.filePath("punched.mdb"));
        QVERIFY(db.open(QIODevice::WriteOnly) && db.write("data") == 4);
        db.close();
        boxes.saveFiles.push_back(dir.filePath("punched.mdb"));
        action(p, "SaveAsPdf")->trigger();
        QVERIFY(QFile::exists(dir.filePath("punched.mdb.pdf")));
        QVERIFY(db.open(QIODevice::ReadOnly));
        QCOMPARE(db.readAll(), QByteArray("data"));

        // Cancelled: nothing written, nothing said.
        action(p, "SaveAsPdf")->trigger();
        QVERIFY(boxes.boxes.isEmpty());
        // A folder that does not exist: an exclamation box, and no file.
        boxes.saveFiles.push_back(dir.filePath("missing/summary.pdf"));
        action(p, "SaveAsPdf")->trigger();
        QCOMPARE(boxes.boxes.size(), 1);
        QCOMPARE(boxes.last().icon, BoxIcon::Exclamation);
        QVERIFY(boxes.last().text.startsWith("The PDF file could not be written."));
    }

    void printingGivesThePdfsPages()
    {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("pdftotext is not installed");
        test::BoxRecorder boxes;
        ReportPreview *p = openSummary(12);
        // Cancelling the print dialog prints nothing.
        action(p, "Print")->trigger();
        QCOMPARE(boxes.printDialogs, 1);
        QVERIFY(boxes.boxes.isEmpty());

        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFileName(dir.filePath("printed.pdf"));
        printer.setPageLayout(p->document()->pageSetup().pageLayout());
        QVERIFY(p->printTo(printer));
        QVERIFY(p->document()->writePdf(dir.filePath("saved.pdf")));
        const QString printed = pdfText(dir.filePath("printed.pdf"));
        QVERIFY(printed.contains("Page 3 of 3"));
        QCOMPARE(printed, pdfText(dir.filePath("saved.pdf")));

        // Letter paper: laid out again for the printer's paper, so more pages or fewer.
        QPrinter letter(QPrinter::HighResolution);
        letter.setOutputFileName(dir.filePath("letter.pdf"));
        letter.setPageSize(QPageSize(QPageSize::Letter));
        letter.setPrintRange(QPrinter::PageRange);
        letter.setFromTo(2, 2);
        QVERIFY(p->printTo(letter));
        const QString one = pdfText(dir.filePath("letter.pdf"));
        QVERIFY(one.contains("Page 2 of "));
        QVERIFY(!one.contains("Page 1 of "));
    }

    void notCountedLine()
    {
        PayrollReport &r = summaryReport();
        ReportPreview *p = openSummary(2);
        auto *line = p->findChild<QLabel *>("NotCounted");
        auto *list = p->findChild<QListWidget *>("NotCountedPairs");
        auto *button = p->findChild<QPushButton *>("NotCountedList");
        QVERIFY(!line->isVisible()); // the detail has no such line, nor the summary until told
        // Set while the preview is open: shown at once.
        r.setNotCounted("2 pairs need a look.", {"E100  05-Jan-2024  pair 2: incomplete",
                                                 "E200  06-Jan-2024  pair 1: past-midnight"});
        QVERIFY(line->isVisible());
        QCOMPARE(line->text(), QString("2 pairs need a look."));
        QVERIFY(!list->isVisible());
        button->click();
        QVERIFY(list->isVisible());
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(1)->text(), QString("E200  06-Jan-2024  pair 1: past-midnight"));
        r.setNotCounted("Every pair of the period was counted.", {});
        QCOMPARE(line->text(), QString("Every pair of the period was counted."));
        QVERIFY(!button->isVisible());
        QVERIFY(!list->isVisible());
    }

    void exportWritesTheBoundTable()
    {
        test::BoxRecorder boxes;
        ReportPreview *p = openSummary(2);
        QVERIFY(action(p, "Export")->isEnabled());
        boxes.saveFiles = {dir.filePath("pay.xlsx"), dir.filePath("pay"), dir.filePath("missing/pay.csv")};
        action(p, "Export")->trigger();
        action(p, "Export")->trigger();
        QVERIFY(boxes.boxes.isEmpty());
        QCOMPARE(boxes.saveDialogTitles, QStringList({"Export", "Export"}));
        QFile xlsx(dir.filePath("pay.xlsx"));
        QVERIFY(xlsx.open(QIODevice::ReadOnly));
        QCOMPARE(xlsx.read(2), QByteArray("PK")); // a spreadsheet is a zip file
        QFile csv(dir.filePath("pay.csv"));      // no suffix: CSV
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QCOMPARE(csv.readAll(), QByteArray("emp_id,emp_name,work_hours,regular,ot,wage,ot_wage,reg_earnings,"
                                           "ot_earnings,tot_earnings\r\n"
                                           "E0,Employee 0,9,4,5,10,15,40,75,115\r\n"
                                           "E1,Employee 1,9,4,5,10,15,40,75,115\r\n"));
        action(p, "Export")->trigger();
        QCOMPARE(boxes.boxes.size(), 1);
        QCOMPARE(boxes.last().icon, BoxIcon::Exclamation);
        QVERIFY(boxes.last().text.startsWith("The file could not be written."));
    }
};

QTEST_MAIN(TestReportPreview)
#include "tst_reportpreview.moc"
