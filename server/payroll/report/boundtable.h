#pragma once
// The rows a report is bound to, read once from a record set, and how a bound value is written
// on the page. Widget-free.

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include "hours.h"
#include "payrolldata.h"

namespace zarvo {
class RecordSet;
}

namespace zarvo::report {

struct BoundTable {
    QStringList fields;
    QList<QVariantList> rows;

    /// Reads every row of the record set, first to last (its position is left unchanged).
    static BoundTable fromRecordSet(const RecordSet &rs);
    int rowCount() const { return int(rows.size()); }
    /// Index of a field, matched without regard to case; -1 when absent.
    int column(const QString &field) const;
    /// The value of a field in a row; Null (invalid) for a missing field or row.
    QVariant value(int row, const QString &field) const;
};

// Numbers in general form and days as "dd-MMM-yyyy": the payroll's own generalNumber() and
// reportDate(), so the captions the runs set and the bound fields read alike.
using zarvo::generalNumber;
using zarvo::reportDate;

/// A bound value as a text box shows it: dates with the control's format (or the system's short
/// date), times as the system's long time, numbers in general form, Null as empty text.
QString formatValue(const QVariant &value, const QString &format);

} // namespace zarvo::report
