#pragma once
// Employees and punches for the payroll tests, written through the store as the programs write.

#include "database.h"
#include "testdb.h"
#include <QDate>
#include <QStringList>
#include <QVariant>

namespace zarvo::test {

/// An employee row with the given wages (an invalid QVariant leaves the wage empty).
inline void addWagedEmployee(DatabaseSession &db, const QString &id, const QString &first, const QString &last,
                             const QVariant &regWage, const QVariant &otWage)
{
    RecordSet rs;
    rs.open(db, QStringLiteral("Select * from employee"));
    rs.addNew();
    rs.setValue(QStringLiteral("emp_id"), id);
    if (!first.isNull())
        rs.setValue(QStringLiteral("emp_fname"), first);
    if (!last.isNull())
        rs.setValue(QStringLiteral("emp_lname"), last);
    rs.setValue(QStringLiteral("reg_wage"), regWage);
    rs.setValue(QStringLiteral("ot_wage"), otWage);
    rs.update();
}

/// A timesheet row; `times` holds in1, out1, in2, out2, in3, out3 as texts ("" = Null).
inline void addPunchRow(DatabaseSession &db, const QString &id, const QDate &day, const QStringList &times)
{
    zarvo::test::addTimesheetRow(db, id, dayText(day), times);
}

/// Stores a text the store would refuse as a time, as an old or foreign file may hold one.
inline void spoilSlot(DatabaseSession &db, const QString &id, const QDate &day, const QString &slot,
                      const QString &text)
{
    db.execScript(QStringLiteral("UPDATE timesheet SET %1 = '%2' WHERE emp_id = '%3' AND rsdate = '%4'")
                      .arg(slot, text, id, day.toString(Qt::ISODate)));
}

/// Values as one text, blank-separated, for comparing whole rows.
inline QString rowText(const QVariantList &values)
{
    QStringList cells;
    for (const QVariant &v : values) {
        if (v.typeId() == QMetaType::Double)
            cells << QString::number(v.toDouble(), 'g', 15);
        else if (v.typeId() == QMetaType::QDate)
            cells << v.toDate().toString(Qt::ISODate);
        else if (v.typeId() == QMetaType::QTime)
            cells << v.toTime().toString(QStringLiteral("HH:mm:ss"));
        else
            cells << (v.isValid() ? v.toString() : QStringLiteral("<null>"));
    }
    return cells.join(QLatin1Char(' '));
}

/// The rows of a work table, the given fields of each as rowText().
inline QStringList tableRows(DatabaseSession &db, const QString &table, const QStringList &fields)
{
    QStringList rows;
    RecordSet rs;
    rs.open(db, QStringLiteral("Select * from ") + table);
    for (; !rs.eof(); rs.moveNext()) {
        QVariantList values;
        for (const QString &f : fields)
            values << rs.value(f);
        rows << rowText(values);
    }
    return rows;
}

} // namespace zarvo::test
