#include "payrollbinding.h"
#include "reportdocument.h"
#include <QFileInfo>
#include <QLocale>

namespace zarvo::report {
namespace {
const QString kHeader = QStringLiteral("Section4");
const QString kFooter = QStringLiteral("Section5");

void setIf(ReportDesign &d, const QString &band, const QString &control, const std::optional<QString> &text)
{
    if (text)
        d.setCaption(band, control, *text);
}
} // namespace

void applyHeader(ReportDesign &d, const ReportHeaderCaptions &h)
{
    // In the order of the run: picture, company lines, then the dates.
    if (h.company.found) {
        d.setPicture(kHeader, QStringLiteral("Image1"), h.company.logoPath);
        d.setCaption(kHeader, QStringLiteral("lblCompany"), h.company.title);
        d.setCaption(kHeader, QStringLiteral("lblAddress"), h.company.address);
        d.setCaption(kHeader, QStringLiteral("lblContact"), h.company.phone);
    }
    d.setCaption(kHeader, QStringLiteral("Label5"), h.Label5);
    d.setCaption(kHeader, QStringLiteral("Label6"), h.Label6);
    d.setCaption(kHeader, QStringLiteral("Label8"), h.Label8);
}

void applyCaptions(ReportDesign &d, const DetailCaptions &c)
{
    applyHeader(d, c.header);
    setIf(d, kHeader, QStringLiteral("Label16"), c.Label16);
    const std::pair<const char *, const QString *> totals[] = {
        {"Label17", &c.Label17}, {"Label18", &c.Label18}, {"Label19", &c.Label19},
        {"Label23", &c.Label23}, {"Label24", &c.Label24}, {"Label25", &c.Label25},
        {"Label31", &c.Label31}};
    for (const auto &[name, text] : totals)
        d.setCaption(kFooter, QString::fromLatin1(name), *text);
    setIf(d, kFooter, QStringLiteral("Label26"), c.Label26);
    setIf(d, kFooter, QStringLiteral("Label27"), c.Label27);
    setIf(d, kFooter, QStringLiteral("Label29"), c.Label29);
    setIf(d, kFooter, QStringLiteral("Label30"), c.Label30);
}

void applyCaptions(ReportDesign &d, const SummaryCaptions &c) { applyHeader(d, c.header); }

ExportTable exportTableOf(const QString &table, const BoundTable &rows)
{
    ExportTable t;
    t.header = (table.compare(QLatin1String("details"), Qt::CaseInsensitive) == 0 ? detailTable({})
                                                                                 : summaryTable({})).header;
    for (int r = 0; r < rows.rowCount(); ++r) {
        QVariantList cells;
        for (const QString &field : t.header)
            cells.append(rows.value(r, field));
        t.rows.append(std::move(cells));
    }
    return t;
}

BoundTable boundTableOf(const ExportTable &table)
{
    BoundTable b;
    b.fields = table.header;
    b.rows = table.rows;
    return b;
}

bool exportBoundTable(const QString &table, const BoundTable &rows, const QString &path, QString *error)
{
    const ExportTable t = exportTableOf(table, rows);
    if (QFileInfo(path).suffix().compare(QLatin1String("xlsx"), Qt::CaseInsensitive) == 0)
        return writeXlsxFile(path, t, table, error);
    return writeCsvFile(path, t, error);
}

QString exceptionText(const PayrollException &e)
{
    QStringList parts{e.empId};
    if (e.rsdate.isValid())
        parts << reportDate(e.rsdate.toDate());
    if (e.pair.isValid())
        parts << QStringLiteral("pair %1").arg(e.pair.toInt());
    if (e.pair.isValid()) {
        const QString in = cellText(e.timeIn), out = cellText(e.timeOut);
        parts << QStringLiteral("%1 to %2").arg(in.isEmpty() ? QStringLiteral("(none)") : in,
                                                out.isEmpty() ? QStringLiteral("(none)") : out);
    }
    if (!e.pair.isValid() && e.timeIn.isValid())
        parts << cellText(e.timeIn);
    return parts.join(QStringLiteral("  ")) + QStringLiteral(": ") + e.problem
        + (e.note.isEmpty() ? QString() : QStringLiteral(" (") + e.note + QLatin1Char(')'));
}

QString exceptionSummary(const QList<PayrollException> &exceptions)
{
    int incomplete = 0, pastMidnight = 0, byHand = 0, others = 0;
    for (const PayrollException &e : exceptions) {
        if (e.problem == QLatin1String("incomplete"))
            ++incomplete;
        else if (e.problem == QLatin1String("changed-by-hand"))
            ++byHand;
        else if (e.problem == QLatin1String("past-midnight"))
            ++pastMidnight;
        else
            ++others;
    }
    if (exceptions.isEmpty())
        return QStringLiteral("Every pair of the period was counted.");
    auto pairs = [](int n) { return n == 1 ? QStringLiteral("1 pair") : QStringLiteral("%1 pairs").arg(n); };
    QStringList parts;
    if (incomplete)
        parts << pairs(incomplete) + QStringLiteral(" not counted (incomplete)");
    if (pastMidnight)
        parts << pairs(pastMidnight) + QStringLiteral(" past midnight (counted into the next day)");
    if (byHand)
        parts << (byHand == 1 ? QStringLiteral("1 row changed by hand") : QStringLiteral("%1 rows changed by hand").arg(byHand));
    if (others)
        parts << (others == 1 ? QStringLiteral("1 other exception") : QStringLiteral("%1 other exceptions").arg(others));
    return parts.join(QStringLiteral("; ")) + QLatin1Char('.');
}

bool writeReportPdf(const ReportDesign &design, const BoundTable &rows, const QString &path, QString *error)
{
    const ReportDocument doc(design, rows, PageSetup::forLocale(QLocale::system()));
    return doc.writePdf(path, error);
}

} // namespace zarvo::report
