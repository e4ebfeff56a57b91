#pragma once
// What the timesheet browser and the time record editor share: opening a record set with the
// connection check, the date pickers, and the look-up of an employee's day in table order.

#include "database.h"
#include "windowstore.h"
#include <QDate>
#include <QString>

class QDateEdit;
class QWidget;

namespace Timesheet {


/// A date picker in the desktop's short date order, always with the whole year.
QDateEdit *datePicker(const QString &name, QWidget *parent);

/// True when the current row of `rs` belongs to employee `id` (exactly, case counting) and day.
bool rowIs(const zarvo::RecordSet &rs, const QString &id, const QDate &day);

/// Moves `rs`, a record set over the whole timesheet table, to its first row (in table order)
/// of employee `id` (exactly) on `day`, as a walk from the first row would, but through the
/// table's index so the cost does not grow with the table. False when it holds no such row
/// (the position is then undefined). Throws DbError when the store fails.
bool moveToFirstRowOf(zarvo::RecordSet &rs, const QString &id, const QDate &day);

} // namespace Timesheet
