#include "payrollbinding.h"
#include "payrolldesigns.h"
#include "tableexport.h"

namespace zarvo {

DataTable summaryTable(const QList<SummaryRow> &rows)
{
    DataTable t;
    t.fields = QStringList{"emp_id", "emp_name", "work_hours", "regular", "ot", "wage", "ot_wage",
                           "reg_earnings", "ot_earnings", "tot_earnings"};
    for (const SummaryRow &r : rows)
        t.rows.append({r.empId, r.empName, r.totals.work, r.totals.regular, r.totals.overtime, r.wage,
                       r.otWage, r.earnings.regular, r.earnings.overtime, r.earnings.total});
    return t;
}

DataTable detailTable(const QList<DetailRow> &rows)
{
    DataTable t;
    t.fields = QStringList{"emp_id", "rsdate", "in1", "out1", "work_hours", "regular", "rsot"};
    for (const DetailRow &r : rows)
        t.rows.append({r.empId, r.rsdate, r.timeIn, r.timeOut, r.hours.work, r.hours.regular, r.hours.overtime});
    return t;
}

} // namespace zarvo

namespace zarvo::report {

FilledReport fillDetailReport(const DetailCaptions &captions, const QList<DetailRow> &rows)
{
    FilledReport r{detailDesign(), detailTable(rows)};
    applyCaptions(r.design, captions);
    return r;
}

FilledReport fillSummaryReport(const ReportHeaderCaptions &header, const QList<SummaryRow> &rows)
{
    FilledReport r{summaryDesign(), summaryTable(rows)};
    applyHeader(r.design, header);
    return r;
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

} // namespace zarvo::report
