#include "payrolldata.h"
#include <QLocale>

namespace zarvo {

namespace {
QString joined(const QVariant &a, const QVariant &b)
{
    return (a.isValid() ? a.toString() : QString()) + QLatin1Char(' ') + (b.isValid() ? b.toString() : QString());
}
} // namespace

QString EmployeeFacts::name() const { return joined(firstName, lastName); }

EmployeeFacts lookUpEmployee(DatabaseSession &db, const QString &id)
{
    RecordSet rs;
    rs.open(db, QStringLiteral("Select * from employee where emp_id = ?"), {id});
    EmployeeFacts f;
    if (rs.eof())
        return f;
    f.found = true;
    f.firstName = rs.value(QStringLiteral("emp_fname"));
    f.lastName = rs.value(QStringLiteral("emp_lname"));
    f.regWage = rs.value(QStringLiteral("reg_wage"));
    f.otWage = rs.value(QStringLiteral("ot_wage"));
    return f;
}

RecordSet openPeriod(DatabaseSession &db, const QString &id, const PayPeriod &period)
{
    // The ID is bound, never pasted, so an ID holding a quote finds its own rows.
    RecordSet rs;
    rs.open(db,
            QStringLiteral("Select * from timesheet where emp_id = ? and rsdate >= #") + dayText(period.from) +
                QStringLiteral("# and rsdate <= #") + dayText(period.to) + QLatin1Char('#'),
            {id});
    return rs;
}

DetailFigures computeDetail(DatabaseSession &db, const QString &id, const PayPeriod &period)
{
    DetailFigures f;
    RecordSet rs = openPeriod(db, id, period);
    for (; !rs.eof(); rs.moveNext()) {
        const QVariant empId = rs.value(QStringLiteral("emp_id"));
        const QVariant day = rs.value(QStringLiteral("rsdate"));
        for (const SelectedPair &p : selectPairs(rs)) {
            const std::optional<PairHours> h = ComputePairHours(p.timeIn, p.timeOut);
            if (!h) {
                f.incomplete = IncompletePair{empId.toString(), day, p.pair, p.timeIn, p.timeOut};
                return f;
            }
            f.rows.append({empId.toString(), day, p.timeIn, p.timeOut, *h});
            f.totals.add(*h);
        }
    }
    return f;
}

SummaryRow computeSummary(DatabaseSession &db, const QString &id, const PayPeriod &period)
{
    PayPeriodTotals totals;
    RecordSet rs = openPeriod(db, id, period);
    for (; !rs.eof(); rs.moveNext()) {
        for (const SelectedPair &p : selectPairs(rs)) {
            if (const std::optional<PairHours> h = ComputePairHours(p.timeIn, p.timeOut))
                totals.add(*h); // an incomplete pair counts nothing and stops nothing
        }
    }
    SummaryRow row;
    row.empId = id;
    row.totals = totals.rounded();
    const EmployeeFacts e = lookUpEmployee(db, id);
    if (e.found) {
        row.empName = e.name();
        if (wageValue(e.regWage))
            row.wage = *wageValue(e.regWage);
        if (wageValue(e.otWage))
            row.otWage = *wageValue(e.otWage);
    }
    row.earnings = computeEarnings(row.totals.regular, row.totals.overtime, e.regWage, e.otWage);
    return row;
}

QStringList allEmployeeIds(DatabaseSession &db)
{
    QStringList ids;
    RecordSet rs;
    rs.open(db, QStringLiteral("Select * from employee"));
    for (; !rs.eof(); rs.moveNext())
        ids << rs.text(QStringLiteral("emp_id"));
    return ids;
}

CompanyFacts lookUpCompany(DatabaseSession &db)
{
    RecordSet rs;
    rs.open(db, QStringLiteral("Select * from company"));
    CompanyFacts c;
    if (rs.eof())
        return c;
    c.found = true;
    const auto t = [&rs](const char *field) { return rs.text(QLatin1String(field)); };
    c.title = t("BizTitle");
    c.address = t("Address") + QStringLiteral(", ") + t("city") + QLatin1Char('\n') + t("state") +
                QStringLiteral(", ") + t("country") + QLatin1Char(' ') + t("zip");
    c.phone = t("phone");
    c.logoPath = t("logo");
    return c;
}

QString reportDate(const QDate &date)
{
    return QLocale().toString(date, QStringLiteral("dd-MMM-yyyy"));
}

} // namespace zarvo
