#include "payrolldata.h"
#include "changelog.h"
#include <QElapsedTimer>
#include <QLocale>
#include <QSet>
#include <limits>

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

DetailComputation::DetailComputation(DatabaseSession &db, const QString &id, const PayPeriod &period)
    : m_rs(openPeriod(db, id, period))
{
}

bool DetailComputation::advance(qint64 budgetMs)
{
    QElapsedTimer clock;
    clock.start();
    for (; !m_rs.eof(); m_rs.moveNext()) {
        if (m_figures.incomplete)
            return true;
        if (clock.elapsed() >= budgetMs)
            return false;
        const QVariant empId = m_rs.value(QStringLiteral("emp_id"));
        const QVariant day = m_rs.value(QStringLiteral("rsdate"));
        for (const SelectedPair &p : selectPairs(m_rs)) {
            const std::optional<PairHours> h = ComputePairHours(p.timeIn, p.timeOut);
            if (!h) {
                m_figures.incomplete = IncompletePair{empId.toString(), day, p.pair, p.timeIn, p.timeOut};
                return true; // the pairs after it are not counted
            }
            m_figures.rows.append({empId.toString(), day, p.timeIn, p.timeOut, *h});
            m_figures.totals.add(*h);
        }
    }
    return true;
}

DetailFigures computeDetail(DatabaseSession &db, const QString &id, const PayPeriod &period)
{
    DetailComputation c(db, id, period);
    while (!c.advance(std::numeric_limits<qint64>::max()))
        ;
    return c.figures();
}

SummaryComputation::SummaryComputation(DatabaseSession &db, const QString &id, const PayPeriod &period)
    : m_db(db), m_id(id), m_rs(openPeriod(db, id, period))
{
}

bool SummaryComputation::advance(qint64 budgetMs)
{
    QElapsedTimer clock;
    clock.start();
    for (; !m_rs.eof(); m_rs.moveNext()) {
        if (clock.elapsed() >= budgetMs)
            return false;
        for (const SelectedPair &p : selectPairs(m_rs)) {
            if (const std::optional<PairHours> h = ComputePairHours(p.timeIn, p.timeOut))
                m_totals.add(*h); // an incomplete pair counts nothing and stops nothing
        }
    }
    return true;
}

SummaryRow SummaryComputation::row() const
{
    SummaryRow row;
    row.empId = m_id;
    row.totals = m_totals.rounded();
    const EmployeeFacts e = lookUpEmployee(m_db, m_id);
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

SummaryRow computeSummary(DatabaseSession &db, const QString &id, const PayPeriod &period)
{
    SummaryComputation c(db, id, period);
    while (!c.advance(std::numeric_limits<qint64>::max()))
        ;
    return c.row();
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
    return QLocale::c().toString(date, QStringLiteral("dd-MMM-yyyy")); // English months everywhere
}

namespace {
/// The punches set aside in the period (of the given IDs; all when none), in the order they
/// were set aside. A file of a layout without the list has none.
QList<PayrollException> heldPunches(DatabaseSession &db, const PayPeriod &period, const QSet<QString> &ids)
{
    QList<PayrollException> found;
    RecordSet rs;
    try {
        rs.open(db, QStringLiteral("Select * from held_punch"));
    } catch (const DbError &) {
        return found;
    }
    for (; !rs.eof(); rs.moveNext()) {
        const QString id = rs.text(QStringLiteral("emp_id"));
        const QDate day = QDate::fromString(rs.text(QStringLiteral("punch_date")), QStringLiteral("MM/dd/yyyy"));
        if (!day.isValid() || day < period.from || day > period.to || (!ids.isEmpty() && !ids.contains(id)))
            continue;
        const QString terminal = rs.text(QStringLiteral("terminal_name"));
        const QString address = rs.text(QStringLiteral("address"));
        QString from = terminal.isEmpty() || terminal == address ? address : terminal + QStringLiteral(" (") + address + QLatin1Char(')');
        found.append(PayrollException{id, day, QVariant(),
                                      QTime::fromString(rs.text(QStringLiteral("punch_time")), QStringLiteral("HH:mm:ss")),
                                      QVariant(), QStringLiteral("held-punch"),
                                      rs.text(QStringLiteral("reason")) + QStringLiteral("; terminal ") + from
                                          + QStringLiteral("; received ") + rs.text(QStringLiteral("received_at"))});
    }
    return found;
}
} // namespace

QList<PayrollException> findExceptions(DatabaseSession &db, const PayPeriod &period, const QStringList &employees)
{
    QList<PayrollException> found;
    const bool everyone = employees.isEmpty();
    const QStringList ids = everyone ? allEmployeeIds(db) : employees;
    QSet<QString> known; // IDs compared as the store compares them: case-blind
    for (const QString &id : allEmployeeIds(db))
        known.insert(id.toCaseFolded());
    QSet<QString> seen;
    for (const QString &id : ids) {
        if (seen.contains(id))
            continue;
        seen.insert(id);
        const EmployeeFacts e = lookUpEmployee(db, id);
        if (e.found && (!wageValue(e.regWage) || !wageValue(e.otWage)))
            found.append(PayrollException{id, QVariant(), QVariant(), QVariant(), QVariant(), QStringLiteral("no-wage")});
        RecordSet rs = openPeriod(db, id, period);
        const QSet<qint64> byHand = ChangeLog::handChangedTimesheetRows(db, id, period.from, period.to);
        for (; !rs.eof(); rs.moveNext()) {
            const QVariant day = rs.value(QStringLiteral("rsdate"));
            if (byHand.contains(rs.bookmark()))
                found.append(PayrollException{rs.text(QStringLiteral("emp_id")), day, QVariant(), QVariant(), QVariant(),
                                              QStringLiteral("changed-by-hand")});
            if (!e.found) {
                found.append(PayrollException{rs.text(QStringLiteral("emp_id")), day, QVariant(), QVariant(), QVariant(),
                               QStringLiteral("unknown-employee")});
                continue;
            }
            for (const SelectedPair &p : selectPairs(rs)) {
                QString problem;
                if (!ComputePairHours(p.timeIn, p.timeOut))
                    problem = QStringLiteral("incomplete");
                else if (runsPastMidnight(p.timeIn, p.timeOut))
                    problem = QStringLiteral("past-midnight");
                if (!problem.isEmpty())
                    found.append(PayrollException{rs.text(QStringLiteral("emp_id")), day, p.pair, p.timeIn, p.timeOut, problem});
            }
        }
    }
    found += heldPunches(db, period, everyone ? QSet<QString>() : seen);
    if (everyone) {
        // Punches of IDs that match no employee, in table order.
        RecordSet rs;
        rs.open(db, QStringLiteral("Select * from timesheet where rsdate >= #") + dayText(period.from) +
                        QStringLiteral("# and rsdate <= #") + dayText(period.to) + QLatin1Char('#'));
        for (; !rs.eof(); rs.moveNext()) {
            if (!known.contains(rs.text(QStringLiteral("emp_id")).toCaseFolded()))
                found.append(PayrollException{rs.text(QStringLiteral("emp_id")), rs.value(QStringLiteral("rsdate")), QVariant(),
                               QVariant(), QVariant(), QStringLiteral("unknown-employee")});
        }
    }
    return found;
}

} // namespace zarvo
