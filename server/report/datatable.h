#pragma once
// A table of named fields: the rows a report is bound to and the cells an export writes. Null
// is an invalid QVariant, a double a number, a QDate a day, a QTime a time of day, anything
// else its text. Widget-free.

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace zarvo {

struct DataTable {
    QStringList fields;
    QList<QVariantList> rows;

    int rowCount() const { return int(rows.size()); }
    /// Index of a field, matched without regard to case; -1 when absent.
    int column(const QString &field) const;
    /// The value of a field in a row; Null (invalid) for a missing field or row.
    QVariant value(int row, const QString &field) const;
};

namespace report {

/// A bound value as a text box shows it: dates with the control's format (or the system's short
/// date), times as the system's long time, numbers in general form, Null as empty text.
QString formatValue(const QVariant &value, const QString &format);

} // namespace report
} // namespace zarvo
