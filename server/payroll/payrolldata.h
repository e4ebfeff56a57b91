#pragma once
// The figures of the two payroll runs, computed from the store into memory. The server writes
// them into its work tables; ZarvoReport writes them out as CSV or a spreadsheet. Both read
// the same rows with the same arithmetic. Widget-free; never writes.

#include "database.h"
#include "hours.h"
#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>
#include <optional>

namespace zarvo {

/// The chosen pay period, both days included.
struct PayPeriod {
    QDate from;
    QDate to;
};

/// The employee's row as the payroll reads it (the first row with the ID).
struct EmployeeFacts {
    bool found = false;
    QVariant firstName;
    QVariant lastName;
    QVariant regWage;
    QVariant otWage;
    /// First name, one blank, last name; an empty part is empty text.
    QString name() const;
};

/// "Select * from employee where emp_id = ?", first row; nothing found when the ID matches none.
EmployeeFacts lookUpEmployee(DatabaseSession &db, const QString &id);

/// The employee's timesheet rows of the period, in the order they were added.
RecordSet openPeriod(DatabaseSession &db, const QString &id, const PayPeriod &period);

/// One computed pair, as a row of `details`.
struct DetailRow {
    QString empId;
    QVariant rsdate;
    QVariant timeIn;
    QVariant timeOut;
    PairHours hours;
};

/// Where the detailed run met a pair it cannot count.
struct IncompletePair {
    QString empId;
    QVariant rsdate;
    int pair = 0;
    QVariant timeIn;
    QVariant timeOut;
};

/// The detailed run's figures for one employee: the rows up to the first incomplete pair, the
/// plain sums of their hours, and the incomplete pair that stopped it, if any.
struct DetailFigures {
    QList<DetailRow> rows;
    PayPeriodTotals totals;
    std::optional<IncompletePair> incomplete;
};

DetailFigures computeDetail(DatabaseSession &db, const QString &id, const PayPeriod &period);

/// The detailed figures worked out piece by piece, so a long period does not hold up punches.
class DetailComputation {
public:
    DetailComputation(DatabaseSession &db, const QString &id, const PayPeriod &period);
    /// Reads rows until the timesheet rows are done, an incomplete pair stops it, or
    /// `budgetMs` have passed (at least one row is read); true once done.
    bool advance(qint64 budgetMs);
    const DetailFigures &figures() const { return m_figures; }

private:
    RecordSet m_rs;
    DetailFigures m_figures;
};

/// One row of `summary`.
struct SummaryRow {
    QString empId;
    QVariant empName;  ///< Null when the employee's row is missing
    PayPeriodTotals totals; ///< rounded to 4 decimals
    QVariant wage;     ///< copy of reg_wage (Null when empty or the row is missing)
    QVariant otWage;   ///< copy of ot_wage
    Earnings earnings; ///< from the rounded totals; an empty wage earns 0 for its part
};

/// The summary run's row for one employee; incomplete pairs count nothing and stop nothing.
SummaryRow computeSummary(DatabaseSession &db, const QString &id, const PayPeriod &period);

/// The summary row worked out piece by piece, as DetailComputation.
class SummaryComputation {
public:
    SummaryComputation(DatabaseSession &db, const QString &id, const PayPeriod &period);
    /// Reads rows until they are done or `budgetMs` have passed; true once done.
    bool advance(qint64 budgetMs);
    /// The row, from the totals of every row read (looks the employee up).
    SummaryRow row() const;

private:
    DatabaseSession &m_db;
    QString m_id;
    RecordSet m_rs;
    PayPeriodTotals m_totals;
};

/// The IDs of every employee, in table order (Null IDs as empty text), as "Mark All Employee"
/// would tick them.
QStringList allEmployeeIds(DatabaseSession &db);

/// Company details for the report headers (the first `company` row).
struct CompanyFacts {
    bool found = false;
    QString title;
    QString address; ///< address, ", ", city, line break, state, ", ", country, " ", zip
    QString phone;
    QString logoPath;
};
CompanyFacts lookUpCompany(DatabaseSession &db);

/// "dd-MMM-yyyy", the reports' printed date.
QString reportDate(const QDate &date);

/// A pair or a day the runs cannot count, or count in a way a person should look at:
/// "incomplete" (not counted), "past-midnight" (counted into the next day), "no-wage" (an
/// employee with an empty wage), "unknown-employee" (punches of an ID that matches no employee),
/// "changed-by-hand" (a day's row added or changed by hand: see the change log),
/// "held-punch" (a punch a terminal kept while the server was away, set aside instead of being
/// written: its time typed in `timeIn`, why and from which terminal in `note`).
struct PayrollException {
    QString empId;
    QVariant rsdate;
    QVariant pair;
    QVariant timeIn;
    QVariant timeOut;
    QString problem;
    QString note;
};

/// The exceptions of the period for the given IDs, in their order (each ID once); with no IDs,
/// for every employee and also the punches of IDs that match no employee.
QList<PayrollException> findExceptions(DatabaseSession &db, const PayPeriod &period,
                                       const QStringList &employees);

} // namespace zarvo
