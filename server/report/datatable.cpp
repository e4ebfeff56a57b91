#include "datatable.h"
#include "numbertext.h"
#include "systemtexts.h"
#include <QDate>
#include <QLocale>
#include <QTime>

namespace zarvo {

int DataTable::column(const QString &field) const
{
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].compare(field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant DataTable::value(int row, const QString &field) const
{
    const int c = column(field);
    if (c < 0 || row < 0 || row >= rows.size() || c >= rows[row].size())
        return {};
    return rows[row][c];
}

QString report::formatValue(const QVariant &value, const QString &format)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::QDate: {
        const QDate d = value.toDate();
        return format.isEmpty() ? QLocale::system().toString(d, QLocale::ShortFormat)
                                : QLocale::c().toString(d, format);
    }
    case QMetaType::QTime:
        return format.isEmpty() ? SystemTexts::time(value.toTime())
                                : QLocale::c().toString(value.toTime(), format);
    case QMetaType::Double:
    case QMetaType::Float:
        return generalNumber(value.toDouble());
    default:
        return value.toString();
    }
}

} // namespace zarvo
