#pragma once
// An employee's own hours so far, today and this week, as the payroll would count them at a
// given moment: the figures the clock window and the terminals show after a punch.

#include "database.h"
#include <QDateTime>
#include <QString>
#include <optional>

namespace zarvo {

struct HoursSoFar {
    double today = 0;
    double week = 0;
};

/// The day the week starts on, one setting of the server: key `week_starts_on` of a small
/// settings file ("week_starts_on=Sunday"; an English day name, or its first three letters).
/// Monday when the file, the key or a readable day is missing. A changed file is read again at
/// the next use, so a new setting needs no restart.
class WeekStartSetting {
public:
    explicit WeekStartSetting(const QString &file = {}) : m_file(file) {}
    void setFile(const QString &file);
    QString file() const { return m_file; }
    Qt::DayOfWeek firstDay();
    /// "Monday", "mon", "SUNDAY" ...; nothing for anything else.
    static std::optional<Qt::DayOfWeek> parseDay(const QString &text);

private:
    QString m_file;
    QDateTime m_stamp; ///< modification time of the file when it was last read
    qint64 m_size = -2;
    Qt::DayOfWeek m_day = Qt::Monday;
};

/// The running server's setting: zarvo.ini in the database's folder.
Qt::DayOfWeek serverWeekStart();

/// The first day of the week that holds `day`, weeks starting on `firstDay`.
QDate weekStart(const QDate &day, Qt::DayOfWeek firstDay);

/// Work hours of the employee's pairs from the week's first day to the day of `at`, each pair
/// by the payroll's pair arithmetic. A pair of the day of `at` still without a time-out counts
/// up to `at`; one of an earlier day counts nothing, as in the payroll. Throws DbError.
HoursSoFar hoursSoFar(DatabaseSession &db, const QString &employeeId, const QDateTime &at,
                      Qt::DayOfWeek firstDay);

/// A figure as it travels and is shown: two decimals, '.' as the point ("3.75", "31.50").
QString hoursFigure(double hours);

} // namespace zarvo
