// Pagination without painting: which band goes on which page at what height, growing labels,
// and the general forms of numbers and dates. No GUI.
#include "payrolldesigns.h"
#include "pagination.h"
#include <QtTest>

using namespace zarvo;
using namespace zarvo::report;

namespace {
// Text measured as 200 twips per line break-separated line and per 20 characters of width.
int fakeMeasure(const Control &c, const QString &text)
{
    int lines = 0;
    for (const QString &line : text.split('\n'))
        lines += std::max<qsizetype>(1, (line.size() * 100 + c.rect.width() - 1) / std::max(1, c.rect.width()));
    return lines * 200;
}

DataTable rows(int n)
{
    DataTable t;
    t.fields = {"emp_name", "work_hours"};
    for (int i = 0; i < n; ++i)
        t.rows.append({QString("Employee %1").arg(i), double(i)});
    return t;
}

// "H" report header, "D3" detail row 3, "F" report footer, "P" page footer, "h" page header.
QString describe(const ReportDesign &d, const Page &page)
{
    QStringList parts;
    for (const PlacedBand &b : page.bands) {
        switch (d.bands[b.band].kind) {
        case BandKind::ReportHeader: parts << "H"; break;
        case BandKind::PageHeader: parts << "h"; break;
        case BandKind::Detail: parts << QString("D%1").arg(b.row); break;
        case BandKind::PageFooter: parts << "P"; break;
        case BandKind::ReportFooter: parts << "F"; break;
        }
    }
    return parts.join(' ');
}
} // namespace

class TestPagination : public QObject {
    Q_OBJECT
private slots:
    void bandsOnPages_data()
    {
        // Summary: header 3030, detail 2355 per row, report footer 1065, page footer 360.
        QTest::addColumn<int>("rowCount");
        QTest::addColumn<int>("pageHeight");
        QTest::addColumn<QStringList>("pages");
        QTest::newRow("empty report") << 0 << 15398 << QStringList{"h H F P"};
        QTest::newRow("rows fit") << 2 << 15398 << QStringList{"h H D0 D1 F P"};
        // 3030 + 5 x 2355 = 14805; the footer (1065) no longer fits above 15398 - 360.
        QTest::newRow("footer alone on page 2") << 5 << 15398 << QStringList{"h H D0 D1 D2 D3 D4 P", "h F P"};
        // The sixth row would end at 17160: it goes whole to the second page.
        QTest::newRow("detail spills") << 6 << 15398 << QStringList{"h H D0 D1 D2 D3 D4 P", "h D5 F P"};
        QTest::newRow("three pages") << 12 << 15398
                                     << QStringList{"h H D0 D1 D2 D3 D4 P", "h D5 D6 D7 D8 D9 D10 P", "h D11 F P"};
        // A page smaller than a band still prints every band, each cut on a page of its own.
        QTest::newRow("tiny page") << 1 << 2000 << QStringList{"h H P", "h D0 P", "h F P"};
    }
    void bandsOnPages()
    {
        QFETCH(int, rowCount);
        QFETCH(int, pageHeight);
        QFETCH(QStringList, pages);
        const ReportDesign d = summaryDesign();
        const Layout layout = paginate(d, rows(rowCount), pageHeight, fakeMeasure);
        QStringList got;
        for (const Page &p : layout.pages)
            got << describe(d, p);
        QCOMPARE(got, pages);
        // Every page ends with its page footer at the bottom of the printable area; bands follow
        // each other without overlapping.
        for (const Page &p : layout.pages) {
            QCOMPARE(p.bands.last().top, pageHeight - 360);
            for (int i = 1; i + 1 < p.bands.size(); ++i)
                QCOMPARE(p.bands[i].top, p.bands[i - 1].top + p.bands[i - 1].height);
        }
    }

    void detailSpillsOnTheDetailDesign()
    {
        // Detail: header 3765, 285 per pair, footer 2382 on an A4 page (15398 twips printable).
        const ReportDesign d = detailDesign();
        DataTable t;
        t.fields = {"rsdate"};
        for (int i = 0; i < 40; ++i)
            t.rows.append({QDate(2024, 1, 1).addDays(i)});
        const Layout layout = paginate(d, t, 15398, fakeMeasure);
        QCOMPARE(layout.pageCount(), 2);
        // (15398 - 360 - 3765) / 285 = 39.5: 39 rows on the first page, the 40th and the footer next.
        QCOMPARE(describe(d, layout.pages[1]), QString("h D39 F P"));
        QCOMPARE(layout.pages[1].bands[1].top, 0);
    }

    void growingAddressPushesTheContactDown()
    {
        ReportDesign d = detailDesign();
        const int header = d.bandIndex(BandKind::ReportHeader);
        const Band &band = d.bands[header];
        auto rectOf = [&](const PlacedBand &b, const char *name) {
            for (int i = 0; i < band.controls.size(); ++i)
                if (band.controls[i].name == name)
                    return b.rects[i];
            return QRect();
        };
        // Two lines fit in the 420-twip label: nothing moves.
        d.setCaption("Section4", "lblAddress", QString("1 Main St, Town") + QChar(13) + "State, Country 123");
        PlacedBand two = layoutBand(d, header, {}, -1, fakeMeasure);
        QCOMPARE(two.height, 3765);
        QCOMPARE(rectOf(two, "lblContact").top(), 864);
        // A long first part wraps to a third line: the label grows by 180 twips and the contact
        // line and everything below moves down with it; the band grows as much.
        d.setCaption("Section4", "lblAddress", QString(60, 'x') + QChar(13) + "State, Country 123");
        PlacedBand three = layoutBand(d, header, {}, -1, fakeMeasure);
        QCOMPARE(rectOf(three, "lblAddress"), QRect(2304, 432, 5625, 600));
        QCOMPARE(rectOf(three, "lblContact").top(), 864 + 180);
        QCOMPARE(rectOf(three, "Label16").top(), 3312 + 180);
        QCOMPARE(rectOf(three, "lblCompany").top(), 0);   // above the address: stays
        QCOMPARE(rectOf(three, "Label8").top(), 0);
        QCOMPARE(three.height, 3765 + 180);
    }

    void growingNameGrowsItsBlock()
    {
        // A summary name too long for one line grows the employee's block.
        const ReportDesign d = summaryDesign();
        DataTable t = rows(2);
        t.rows[1][0] = QString(60, 'n');
        const int detail = d.bandIndex(BandKind::Detail);
        QCOMPARE(layoutBand(d, detail, t, 0, fakeMeasure).height, 2355);
        QCOMPARE(layoutBand(d, detail, t, 1, fakeMeasure).height, 2355 + 400 - 285);
    }

    void designsFitTheirWidthAndBands_data()
    {
        QTest::addColumn<bool>("detail");
        QTest::newRow("Detail") << true;
        QTest::newRow("Summary") << false;
    }
    void designsFitTheirWidthAndBands()
    {
        QFETCH(bool, detail);
        const ReportDesign d = detail ? detailDesign() : summaryDesign();
        QCOMPARE(d.bands.size(), 5);
        for (const Band &b : d.bands)
            for (const Control &c : b.controls) {
                QVERIFY2(c.rect.left() + c.rect.width() <= d.width, qPrintable(c.name));
                QVERIFY2(c.rect.top() + c.rect.height() <= b.height, qPrintable(b.name + c.name));
            }
    }

    void captionsAndPicturesByName()
    {
        ReportDesign d = detailDesign();
        QVERIFY(d.setCaption("Section5", "Label31", "102.5"));
        QCOMPARE(d.caption("section5", "label31"), QString("102.5"));
        QVERIFY(!d.setCaption("Section4", "Label31", "x"));   // not in that band
        QVERIFY(!d.setCaption("Section1", "rsDate", "x"));    // a text box has no caption
        QVERIFY(!d.setCaption("Section9", "Label5", "x"));
        QCOMPARE(d.caption("Section4", "Label16"), QString("Label16")); // design text
        QVERIFY(!d.setPicture("Section4", "Image1", "/no/such/logo.bmp"));
        QVERIFY(d.band("Section4")->control("Image1")->picture.isNull());
        QVERIFY(!d.setPicture("Section4", "Image1", QString()));
    }

    void generalNumbers_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 80.0 << "80";
        QTest::newRow("half") << 22.5 << "22.5";
        QTest::newRow("four decimals") << 4.0167 << "4.0167";
        QTest::newRow("noise of sums") << 0.1 + 0.2 << "0.3";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("negative zero") << -0.0 << "0";
        QTest::newRow("negative") << -1.25 << "-1.25";
        QTest::newRow("no separators") << 1234567.5 << "1234567.5";
        QTest::newRow("15 digits") << 1.0 / 3 << "0.333333333333333";
        QTest::newRow("large") << 1e20 << "1e+20";
    }
    void generalNumbers()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(generalNumber(value), text);
    }

    void boundValues_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("text");
        QTest::newRow("day") << QVariant(QDate(2024, 1, 5)) << "dd-MMM-yyyy" << "05-Jan-2024";
        QTest::newRow("december") << QVariant(QDate(2023, 12, 31)) << "dd-MMM-yyyy" << "31-Dec-2023";
        QTest::newRow("number") << QVariant(5.5) << "" << "5.5";
        QTest::newRow("text") << QVariant("Ann Lee") << "" << "Ann Lee";
        QTest::newRow("null") << QVariant() << "" << "";
    }
    void boundValues()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, format);
        QFETCH(QString, text);
        QCOMPARE(formatValue(value, format), text);
    }

    void fieldsAreFoundWithoutRegardToCase()
    {
        DataTable t;
        t.fields = {"emp_id", "rsdate", "rsot"};
        t.rows = {{"E1", QDate(2024, 1, 5), 0.0}, {"E1", QDate(2024, 1, 4), 1.5}};
        QCOMPARE(formatValue(t.value(0, "RSDATE"), "dd-MMM-yyyy"), QString("05-Jan-2024"));
        QCOMPARE(t.value(1, "rsot").toDouble(), 1.5);
        QVERIFY(!t.value(2, "rsot").isValid());
        QVERIFY(!t.value(0, "nosuch").isValid());
        const ReportDesign d = detailDesign();
        QCOMPARE(controlText(*d.band("Section1")->control("rsDate"), t, 1), QString("04-Jan-2024"));
    }
};

QTEST_GUILESS_MAIN(TestPagination)
#include "tst_pagination.moc"
