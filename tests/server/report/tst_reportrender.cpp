// The two designs rendered offscreen at a fixed resolution and compared with stored pictures of
// the worked examples; PDF and printing give the same pages, with extractable text.
#include "reportdocument.h"
#include "workedexamples.h"
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace zarvo::report;

namespace {
constexpr double kDpi = 96;

// Share of pixels whose colour differs clearly between two same-sized pictures.
double differingShare(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return 1.0;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    qint64 differing = 0;
    for (int row = 0; row < x.height(); ++row) {
        const QRgb *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const QRgb *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col) {
            const int d = std::max({std::abs(qRed(p[col]) - qRed(q[col])),
                                    std::abs(qGreen(p[col]) - qGreen(q[col])),
                                    std::abs(qBlue(p[col]) - qBlue(q[col]))});
            differing += d > 64;
        }
    }
    return double(differing) / (x.width() * x.height());
}

QString pdfText(const QString &pdf)
{
    QProcess p;
    p.start("pdftotext", {"-layout", pdf, "-"});
    if (!p.waitForFinished(20000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}
} // namespace

class TestReportRender : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString logo;

    ReportDocument make(const QString &which) const
    {
        if (which == "detail")
            return ReportDocument(worked::detail(logo), worked::detailRows(), PageSetup::a4());
        return ReportDocument(worked::summary(logo), worked::summaryRows(), PageSetup::a4());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        logo = worked::logoFile(dir.path());
    }

    void matchesStoredPicture_data()
    {
        QTest::addColumn<QString>("which");
        QTest::newRow("detail") << "detail";
        QTest::newRow("summary") << "summary";
    }
    void matchesStoredPicture()
    {
        QFETCH(QString, which);
        const ReportDocument doc = make(which);
        QCOMPARE(doc.pageCount(), 1);
        const QImage page = doc.renderPage(0, kDpi);
        QCOMPARE(page.size(), QSize(793, 1123)); // A4 (595 x 842 points) at 96 dpi
        const QString stored = QString(ZARVO_REPORT_PICTURES) + "/" + which + ".png";
        if (qEnvironmentVariableIntValue("ZARVO_UPDATE_PICTURES") == 1)
            QVERIFY(page.save(stored));
        page.save(QCoreApplication::applicationDirPath() + "/" + which + "-rendered.png");
        const QImage expected(stored);
        QVERIFY2(!expected.isNull(), qPrintable("no stored picture " + stored));
        const double share = differingShare(page, expected);
        QVERIFY2(share < 0.002, qPrintable(QString("%1% of the pixels differ").arg(share * 100)));
    }

    void differentFiguresDoNotMatch()
    {
        // The comparison is sharp enough to see one changed total.
        ReportDesign d = worked::detail(logo);
        d.setCaption("Section5", "Label31", "120.5");
        const QImage changed = ReportDocument(d, worked::detailRows(), PageSetup::a4()).renderPage(0, kDpi);
        const QImage same = make("detail").renderPage(0, kDpi);
        QVERIFY(differingShare(changed, same) > 0);
        QCOMPARE(differingShare(same, make("detail").renderPage(0, kDpi)), 0.0);
    }

    void logoKeepsItsShape()
    {
        // The 2:1 logo in the 1440 x 1290 box: full width, half the width high, centred.
        const QImage page = make("detail").renderPage(0, 1440 / 10.0); // 10 twips per pixel
        const int left = (360 + 720) / 10, top = 720 / 10;
        auto blue = [&](int x, int y) { return page.pixelColor(x, y).blue() > 120 && page.pixelColor(x, y).red() < 60; };
        const int middle = top + 129 / 2;
        QVERIFY(blue(left + 2, middle));
        QVERIFY(blue(left + 141, middle));
        QVERIFY(!blue(left + 2, top + 2));        // above the picture: the box stays empty
        QVERIFY(blue(left + 2, middle - 34));
        QVERIFY(!blue(left + 2, middle - 38));
    }

    void wideFigureStaysInItsColumn()
    {
        // Earnings too wide for their boxes are set smaller instead of being cut off.
        ReportDesign d = worked::detail(logo);
        d.setCaption("Section5", "Label30", "53.827875");
        d.setCaption("Section5", "Label31", "2513.827875");
        const ReportDocument doc(d, worked::detailRows(), PageSetup::a4());
        const QImage page = doc.renderPage(0, 144); // 10 twips per pixel
        const PlacedBand &footer = doc.layout().pages[0].bands[4]; // page header, header, 2 rows, footer
        QCOMPARE(d.bands[footer.band].name, QString("Section5"));
        const int top = (720 + footer.top + 1872) / 10, left = 360 / 10;
        auto inkBetween = [&](int fromTwips, int toTwips) {
            int ink = 0;
            for (int y = top; y < top + 22; ++y)
                for (int x = left + fromTwips / 10; x < left + toTwips / 10; ++x)
                    ink += qGray(page.pixel(x, y)) < 100;
            return ink;
        };
        // Drawn whole, the figures end short of their boxes' right edges (cut, they would reach them).
        QVERIFY(inkBetween(9360, 10170) > 0);
        QCOMPARE(inkBetween(10180, 10800), 0);
        QVERIFY(inkBetween(8352, 9030) > 0);
        QCOMPARE(inkBetween(9040, 9350), 0);
    }

    void pdfHoldsTheSameTextAsThePreview_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("detail") << "detail"
                                << QStringList{"Detailed Timesheet Report", "Harbor Bakery Ltd.",
                                               "05-Jan-2024", "Ann Lee", "102.5", "22.5", "80",
                                               "Pay Period Hours", "Page 1 of 1"};
        QTest::newRow("summary") << "summary"
                                 << QStringList{"Timesheet Report Summary", "Ann Lee", "Bo Park",
                                                "115", "75", "40", "01-Jan-2024", "07-Jan-2024"};
    }
    void pdfHoldsTheSameTextAsThePreview()
    {
        QFETCH(QString, which);
        QFETCH(QStringList, texts);
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("pdftotext is not installed");
        const QString pdf = dir.filePath(which + ".pdf");
        QString error;
        QVERIFY2(make(which).writePdf(pdf, &error), qPrintable(error));
        const QString text = pdfText(pdf);
        for (const QString &t : texts)
            QVERIFY2(text.contains(t), qPrintable(t + " missing in:\n" + text));
    }

    void pdfEmbedsItsFonts()
    {
        if (QStandardPaths::findExecutable("pdffonts").isEmpty())
            QSKIP("pdffonts is not installed");
        const QString pdf = dir.filePath("fonts.pdf");
        QVERIFY(make("detail").writePdf(pdf));
        QProcess p;
        p.start("pdffonts", {pdf});
        QVERIFY(p.waitForFinished(20000));
        const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts).mid(2);
        QVERIFY(!lines.isEmpty());
        for (const QString &line : lines) {
            QVERIFY2(line.contains("yes"), qPrintable(line)); // emb column
            QVERIFY2(!line.contains("DejaVu") || line.contains("DejaVuSans"), qPrintable(line));
        }
        QVERIFY(lines.join('\n').contains("LiberationSans-Bold"));
    }

    void unwritablePdfIsReported()
    {
        QString error;
        QVERIFY(!make("detail").writePdf(dir.filePath("no/such/folder/x.pdf"), &error));
        QVERIFY(!error.isEmpty());
    }

    void pagesLayOutTheSameAtEveryResolution()
    {
        // A PDF at 1200 dpi and the preview at 96 dpi place every band at the same twips.
        ReportDocument doc = make("summary");
        QCOMPARE(doc.layout().pages.size(), 1);
        const QImage small = doc.renderPage(0, 96);
        const QImage big = doc.renderPage(0, 192).scaled(small.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QVERIFY(differingShare(small, big) < 0.01);
    }
};

int main(int argc, char **argv)
{
    // The times of the detail lines are written the desktop's way: fix the desktop's locale.
    qputenv("LC_ALL", "en_US.UTF-8");
    QGuiApplication app(argc, argv);
    TestReportRender t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_reportrender.moc"
