// Both payroll reports run from the payroll window and shown inside the console with the
// worked examples' figures, header and footer; ZarvoReport --pdf writes the preview's pages.
#include "consolefixture.h"
#include "windowfixture.h"
#include "payrollfixture.h"
#include "payroll.h"
#include "pageview.h"
#include "payrollreports.h"
#include "reportcli.h"
#include "reportdocument.h"
#include "workedexamples.h"
#include <QAbstractScrollArea>
#include <QBuffer>
#include <QDateEdit>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTreeWidget>

using namespace zarvo;
using namespace zarvo::test;
using namespace zarvo::report;

namespace {
QString pdfText(const QString &pdf)
{
    QProcess p;
    p.start("pdftotext", {"-layout", pdf, "-"});
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

void addCompany(DatabaseSession &db, const QString &logo)
{
    RecordSet rs;
    rs.open(db, "Select * from company");
    rs.addNew();
    const std::pair<const char *, QString> fields[] = {
        {"biztitle", "Harbor Bakery Ltd."}, {"address", "12 Quay Street"}, {"city", "Portsmouth"},
        {"state", "Hampshire"}, {"country", "United Kingdom"}, {"zip", "PO1 2AB"},
        {"phone", "023 9200 1234"}, {"logo", logo}};
    for (const auto &[f, v] : fields)
        rs.setValue(f, v);
    rs.update();
}

ReportPreview *preview(const char *design)
{
    return qobject_cast<ReportPreview *>(windowHost()->find(QString("Report:") + design));
}

QString caption(ReportPreview *p, const char *band, const char *control)
{
    return p->document()->design().caption(band, control);
}
} // namespace

class TestPayrollReports : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    Payroll *openPayroll(WindowFixture &f, const QList<int> &ticked)
    {
        addCompany(f.db(), worked::logoFile(dir.path()));
        Payroll *w = ShowInsideConsole<Payroll>();
        w->findChild<QDateEdit *>("DTPicker1")->setDate(QDate(2024, 1, 1));
        w->findChild<QDateEdit *>("DTPicker2")->setDate(QDate(2024, 1, 7));
        auto *list = w->findChild<QTreeWidget *>("ListView1");
        for (int row : ticked)
            list->topLevelItem(row)->setCheckState(0, Qt::Checked);
        return w;
    }

private slots:
    void init() { Clock::setFixed(QDateTime(QDate(2024, 1, 8), QTime(9, 0))); }
    void cleanup() { Clock::clearFixed(); }

    void detailReportFromTheWindow()
    {
        WindowFixture f;
        addWagedEmployee(f.db(), "E1", "Ann", "Lee", 10.0, 15.0);
        addPunchRow(f.db(), "E1", QDate(2024, 1, 5), {"08:00:00", "12:00:00", "13:00:00", "18:30:00"});
        Payroll *w = openPayroll(f, {0});
        QTest::mouseClick(w->findChild<QPushButton *>("PushButton1"), Qt::LeftButton);
        QTRY_VERIFY(preview("Detail"));
        ReportPreview *p = preview("Detail");
        QCOMPARE(p->windowTitle(), QString("Full Detail Report"));
        QCOMPARE(p->document()->table().rowCount(), 2);
        const std::pair<const char *, const char *> footer[] = {
            {"Label17", "8"}, {"Label18", "1.5"}, {"Label19", "9.5"}, {"Label23", "8"}, {"Label24", "1.5"},
            {"Label25", "9.5"}, {"Label26", "10"}, {"Label27", "15"}, {"Label29", "80"}, {"Label30", "22.5"},
            {"Label31", "102.5"}};
        for (const auto &[label, text] : footer)
            QCOMPARE(caption(p, "Section5", label), QString(text));
        QCOMPARE(caption(p, "Section4", "Label16"), QString("Ann Lee"));
        QCOMPARE(caption(p, "Section4", "Label5"), QString("01-Jan-2024"));
        QCOMPARE(caption(p, "Section4", "Label8"), QString("08-Jan-2024"));
        QCOMPARE(caption(p, "Section4", "lblAddress"),
                 QString("12 Quay Street, Portsmouth\nHampshire, United Kingdom PO1 2AB"));
        QVERIFY(!p->document()->design().band("Section4")->control("Image1")->picture.isNull());
        p->document()->renderPage(0, 96).save(QCoreApplication::applicationDirPath() + "/detail-run.png");

        // Run again with nobody ticked: the same window, no rows, and the captions the run does
        // not set show the design's text again, not the last run's.
        w->findChild<QTreeWidget *>("ListView1")->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
        QTest::mouseClick(w->findChild<QPushButton *>("PushButton1"), Qt::LeftButton);
        QTRY_COMPARE(preview("Detail")->document()->table().rowCount(), 0);
        QCOMPARE(preview("Detail"), p);
        QCOMPARE(caption(p, "Section4", "Label16"), QString("Label16"));
        QCOMPARE(caption(p, "Section5", "Label29"), QString("Label28"));
        QCOMPARE(caption(p, "Section5", "Label31"), QString("0"));
    }

    void summaryReportFromTheWindow()
    {
        WindowFixture f;
        addWagedEmployee(f.db(), "E1", "Ann", "Lee", 10.0, 15.0);
        addWagedEmployee(f.db(), "E2", "Bo", "Park", 12.0, 18.0);
        addPunchRow(f.db(), "E1", QDate(2024, 1, 5), {"08:00:00", "17:00:00"});
        addPunchRow(f.db(), "E2", QDate(2024, 1, 6), {"08:00:00", ""}); // never signed out
        Payroll *w = openPayroll(f, {0, 1});
        QTest::mouseClick(w->findChild<QPushButton *>("PushButton2"), Qt::LeftButton);
        QTRY_VERIFY(preview("Summary"));
        ReportPreview *p = preview("Summary");
        QCOMPARE(p->windowTitle(), QString("Timesheet Report Summary"));
        const DataTable &rows = p->document()->table();
        QCOMPARE(rows.rowCount(), 2);
        QCOMPARE(rows.value(0, "reg_earnings").toDouble(), 40.0);
        QCOMPARE(rows.value(0, "ot_earnings").toDouble(), 75.0);
        QCOMPARE(rows.value(0, "tot_earnings").toDouble(), 115.0);
        QCOMPARE(rows.value(1, "tot_earnings").toDouble(), 0.0);
        // The preview binds what the run stored in `summary`, cell for cell.
        QStringList shown;
        for (const QVariantList &row : rows.rows)
            shown << rowText(row);
        QCOMPARE(shown, tableRows(f.db(), "summary", rows.fields));
        QCOMPARE(caption(p, "Section4", "lblCompany"), QString("Harbor Bakery Ltd."));
        QCOMPARE(caption(p, "Section4", "Label6"), QString("07-Jan-2024"));
        auto *line = p->findChild<QLabel *>("NotCounted");
        QTRY_COMPARE(line->text(), QString("1 pair not counted (incomplete)."));
        auto *list = p->findChild<QListWidget *>("NotCountedPairs");
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(), QString("E2  06-Jan-2024  pair 1  08:00:00 to (none): incomplete"));
        p->document()->renderPage(0, 96).save(QCoreApplication::applicationDirPath() + "/summary-run.png");
        list->show();
        f.area.resize(1100, 900);
        p->parentWidget()->resize(900, 800);
        QCoreApplication::processEvents();
        f.area.grab().save(QCoreApplication::applicationDirPath() + "/summary-console.png");
        // Fitted to the width: the page needs no horizontal scrolling.
        QVERIFY(p->pageView()->width() <= p->findChild<QAbstractScrollArea *>("Pages")->viewport()->width());
    }

    void zarvoReportWritesThePreviewsPages_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("figures");
        QTest::newRow("summary") << "summary" << QStringList{"80", "22.5", "102.5", "9.5", "Bo Park"};
        QTest::newRow("detail") << "detail" << QStringList{"80", "22.5", "102.5", "Ann Lee"};
    }
    void zarvoReportWritesThePreviewsPages()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, figures);
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("pdftotext is not installed");
        WindowFixture f;
        addWagedEmployee(f.db(), "E1", "Ann", "Lee", 10.0, 15.0);
        addWagedEmployee(f.db(), "E2", "Bo", "Park", 12.0, 18.0);
        addPunchRow(f.db(), "E1", QDate(2024, 1, 5), {"08:00:00", "12:00:00", "13:00:00", "18:30:00"});
        Payroll *w = openPayroll(f, command == "detail" ? QList<int>{0} : QList<int>{0, 1});
        QTest::mouseClick(w->findChild<QPushButton *>(command == "detail" ? "PushButton1" : "PushButton2"),
                          Qt::LeftButton);
        const char *design = command == "detail" ? "Detail" : "Summary";
        QTRY_VERIFY(preview(design));
        const QString shown = dir.filePath(command + "-shown.pdf");
        QVERIFY(preview(design)->saveAsPdf(shown));

        const QString written = dir.filePath(command + "-cli.pdf");
        QStringList args{command, "--from", "01/01/2024", "--to", "01/07/2024", "--employee", "E1"};
        if (command == "summary")
            args << "--employee" << "E2";
        args << "--csv" << dir.filePath(command + ".csv") << "--pdf" << written;
        QBuffer out, err;
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
        QCOMPARE(runReportCommand(args, f.t.path, out, err), int(ReportOk));
        const QString text = pdfText(written);
        for (const QString &figure : figures)
            QVERIFY2(text.contains(figure), qPrintable(figure));
        QCOMPARE(text, pdfText(shown));

        // "Export…" in the preview writes ZarvoReport's CSV file byte for byte.
        test::BoxRecorder boxes;
        QVERIFY(preview(design)->exportTo(dir.filePath(command + "-shown.csv")));
        QFile a(dir.filePath(command + ".csv")), b(dir.filePath(command + "-shown.csv"));
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        QCOMPARE(b.readAll(), a.readAll());
    }

    void bothReportsInsideTheConsole()
    {
        // The console's "Payroll Reports" command, both buttons: two report windows inside the
        // console beside the payroll window, which stays usable.
        ConsoleFixture f;
        QVERIFY(f.start());
        addWagedEmployee(Module1::instance().db, "E1", "Ann", "Lee", 10.0, 15.0);
        addPunchRow(Module1::instance().db, "E1", QDate(2024, 1, 5), {"08:00:00", "17:00:00"});
        Module1::instance().setAdminLocked(false);
        f.console->resize(1280, 960);
        f.console->invoke(ConsoleCommands::ID_PAYROLLREPORTS);
        Payroll *w = findInsideConsole<Payroll>();
        QVERIFY(w);
        w->findChild<QDateEdit *>("DTPicker1")->setDate(QDate(2024, 1, 1));
        w->findChild<QTreeWidget *>("ListView1")->topLevelItem(0)->setCheckState(0, Qt::Checked);
        QTest::mouseClick(w->findChild<QPushButton *>("PushButton2"), Qt::LeftButton);
        QTRY_VERIFY(preview("Summary"));
        QTRY_VERIFY(w->findChild<QPushButton *>("PushButton1")->isEnabled());
        QTest::mouseClick(w->findChild<QPushButton *>("PushButton1"), Qt::LeftButton);
        QTRY_VERIFY(preview("Detail"));
        QStringList titles;
        for (QMdiSubWindow *sub : f.console->mdiArea()->subWindowList())
            titles << sub->windowTitle();
        QCOMPARE(titles, QStringList({"Payroll Report", "Timesheet Report Summary", "Full Detail Report"}));
        QCOMPARE(f.console->mdiArea()->activeSubWindow()->widget(), preview("Detail"));
        QCOMPARE(preview("Summary")->document()->table().value(0, "tot_earnings").toDouble(), 115.0);
        f.console->mdiArea()->cascadeSubWindows();
        QCoreApplication::processEvents();
        f.console->grab().save(QCoreApplication::applicationDirPath() + "/console-reports.png");
        f.console->mdiArea()->closeAllSubWindows();
        f.stop();
    }

    void incompleteDetailWritesNoPdf()
    {
        WindowFixture f;
        addWagedEmployee(f.db(), "E1", "Ann", "Lee", 10.0, 15.0);
        addPunchRow(f.db(), "E1", QDate(2024, 1, 5), {"08:00:00", ""});
        const QString pdf = dir.filePath("incomplete.pdf");
        QBuffer out, err;
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
        QCOMPARE(runReportCommand({"detail", "--from", "01/01/2024", "--to", "01/07/2024", "--employee", "E1",
                                   "--pdf", pdf},
                                  f.t.path, out, err),
                 int(ReportIncomplete));
        QVERIFY(!QFile::exists(pdf));
        QVERIFY(err.data().contains("no PDF is written"));
    }
};

QTEST_MAIN(TestPayrollReports)
#include "tst_payrollreports.moc"
