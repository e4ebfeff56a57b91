#include "timesheetshared.h"
#include "dialogs.h"
#include "module1.h"
#include <QDateEdit>
#include <QLocale>
#include <QRegularExpression>

using namespace zarvo;

namespace Timesheet {

QDateEdit *datePicker(const QString &name, QWidget *parent)
{
    auto *picker = new QDateEdit(parent);
    picker->setObjectName(name);
    // The desktop's own order and separators, but a two-digit year would leave the century to
    // guesswork while typing.
    static const QRegularExpression twoDigitYear(QStringLiteral("(?<!y)yy(?!y)"));
    picker->setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat).replace(twoDigitYear, QStringLiteral("yyyy")));
    picker->setCalendarPopup(true);
    return picker;
}

bool rowIs(const RecordSet &rs, const QString &id, const QDate &day)
{
    const QVariant empId = rs.value(QStringLiteral("emp_id"));
    return empId.isValid() && empId.toString() == id && rs.value(QStringLiteral("rsdate")).toDate() == day;
}

bool moveToFirstRowOf(RecordSet &rs, const QString &id, const QDate &day)
{
    if (!day.isValid())
        return false;
    // The narrow select returns the candidates in table order; the first one the wide set holds
    // with the same employee and day is the row a walk from its first row would stop at.
    RecordSet hits;
    hits.open(Module1::instance().db, QStringLiteral("Select * from timesheet where emp_id = ? and rsdate = ?"),
              {id, day});
    for (; !hits.eof(); hits.moveNext()) {
        if (!rowIs(hits, id, day)) // the select ignores letter case; the walk does not
            continue;
        if (rs.moveToBookmark(hits.bookmark()) && rowIs(rs, id, day))
            return true;
    }
    return false;
}

} // namespace Timesheet
