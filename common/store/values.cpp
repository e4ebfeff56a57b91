#include "values.h"
#include "database.h"
#include <QDate>
#include <QLocale>
#include <QTime>
#include <algorithm>
#include <cmath>
#include <sqlite3.h>

// Conversions between the program's values and the one stored form of each logical type, and
// the case-blind comparison of stored text.
namespace zarvo {

LogicalType typeOfDeclared(const char *declared)
{
    const QByteArray d = QByteArray(declared ? declared : "").trimmed().toUpper();
    if (d.startsWith("DATE"))
        return LogicalType::Date;
    if (d.startsWith("TIME"))
        return LogicalType::Time;
    if (d.startsWith("INT"))
        return LogicalType::Integer;
    if (d.startsWith("DOUBLE") || d.startsWith("REAL") || d.startsWith("NUM") || d.startsWith("FLOAT"))
        return LogicalType::Number;
    return LogicalType::Text;
}

static QString describe(const QVariant &v)
{
    return QStringLiteral("\"") + v.toString() + QStringLiteral("\"");
}

static QDate parseDate(const QString &text)
{
    const QString t = text.trimmed();
    for (const char *format : {"MM/dd/yyyy", "M/d/yyyy", "yyyy-MM-dd"}) {
        const QDate d = QDate::fromString(t, QLatin1String(format));
        if (d.isValid())
            return d;
    }
    return {};
}

static QTime parseTime(const QString &text)
{
    const QString t = text.trimmed();
    for (const char *format : {"HH:mm:ss", "H:mm:ss", "H:m:s", "HH:mm", "H:mm"}) {
        const QTime time = QTime::fromString(t, QLatin1String(format));
        if (time.isValid())
            return time;
    }
    return {};
}

QVariant toStored(const QVariant &value, LogicalType type, const QString &field)
{
    if (!value.isValid() || value.isNull())
        return {};
    const int id = value.typeId();
    const bool isText = id == QMetaType::QString || id == QMetaType::QByteArray;
    switch (type) {
    case LogicalType::Text:
        if (id == QMetaType::QDate)
            return dayText(value.toDate());
        if (id == QMetaType::QTime)
            return timeText(value.toTime());
        return value.toString();
    case LogicalType::Date: {
        QDate d;
        if (id == QMetaType::QDate)
            d = value.toDate();
        else if (id == QMetaType::QDateTime)
            d = value.toDateTime().date();
        else if (isText)
            d = parseDate(value.toString());
        if (!d.isValid())
            throw DbError(QStringLiteral("%1 is not a date (mm/dd/yyyy) for the field %2")
                              .arg(describe(value), field));
        return d.toString(Qt::ISODate);
    }
    case LogicalType::Time: {
        QTime t;
        if (id == QMetaType::QTime)
            t = value.toTime();
        else if (id == QMetaType::QDateTime)
            t = value.toDateTime().time();
        else if (isText)
            t = parseTime(value.toString());
        if (!t.isValid())
            throw DbError(QStringLiteral("%1 is not a time (hh:mm:ss) for the field %2")
                              .arg(describe(value), field));
        return t.toString(QStringLiteral("HH:mm:ss"));
    }
    case LogicalType::Number: {
        bool ok = false;
        const double d = isText ? QLocale::c().toDouble(value.toString().trimmed(), &ok)
                                : value.toDouble(&ok);
        if (!ok || !std::isfinite(d))
            throw DbError(QStringLiteral("%1 is not a number for the field %2").arg(describe(value), field));
        return d;
    }
    case LogicalType::Integer: {
        bool ok = false;
        qlonglong n = 0;
        if (isText) {
            n = value.toString().trimmed().toLongLong(&ok);
        } else if (id == QMetaType::Double || id == QMetaType::Float) {
            const double d = value.toDouble();
            ok = std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 9.0e18;
            n = qlonglong(d);
        } else {
            n = value.toLongLong(&ok);
        }
        if (!ok)
            throw DbError(QStringLiteral("%1 is not a whole number for the field %2")
                              .arg(describe(value), field));
        return n;
    }
    }
    return {};
}

QVariant fromStored(sqlite3_stmt *stmt, int column, LogicalType type)
{
    const int storage = sqlite3_column_type(stmt, column);
    if (storage == SQLITE_NULL)
        return {};
    if (storage == SQLITE_INTEGER && type != LogicalType::Number)
        return qlonglong(sqlite3_column_int64(stmt, column));
    if (storage == SQLITE_FLOAT || (storage == SQLITE_INTEGER && type == LogicalType::Number))
        return sqlite3_column_double(stmt, column);
    const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(stmt, column));
    const int size = sqlite3_column_bytes(stmt, column);
    // Dates and times are stored in one fixed form each; reading them by hand is many times
    // faster than Qt's format parser, which matters when a window walks a whole timesheet.
    const auto digits = [bytes](int at, int count) {
        int n = 0;
        for (int i = at; i < at + count; ++i) {
            if (bytes[i] < '0' || bytes[i] > '9')
                return -1;
            n = n * 10 + (bytes[i] - '0');
        }
        return n;
    };
    if (type == LogicalType::Date && size == 10 && bytes[4] == '-' && bytes[7] == '-') {
        const QDate d(digits(0, 4), digits(5, 2), digits(8, 2));
        if (d.isValid())
            return d;
    }
    if (type == LogicalType::Time && size == 8 && bytes[2] == ':' && bytes[5] == ':') {
        const QTime t(digits(0, 2), digits(3, 2), digits(6, 2));
        if (t.isValid())
            return t;
    }
    return QString::fromUtf8(bytes, size);
}

QString dayText(const QDate &date) { return date.toString(QStringLiteral("MM/dd/yyyy")); }
QString timeText(const QTime &time) { return time.toString(QStringLiteral("HH:mm:ss")); }

// Text "=" ignores the case of every letter, not only A to Z: "MÜLLER" finds "Müller". The
// store's own NOCASE folds ASCII alone, so every connection replaces it with this one (indexes
// on NOCASE columns are built by connections that have it too, the delivered file included).
int compareIgnoringCase(void *, int size1, const void *text1, int size2, const void *text2)
{
    const auto *a = static_cast<const unsigned char *>(text1);
    const auto *b = static_cast<const unsigned char *>(text2);
    const int common = std::min(size1, size2);
    for (int i = 0; i < common; ++i) {
        if (a[i] >= 0x80 || b[i] >= 0x80) {
            const QString x = QString::fromUtf8(reinterpret_cast<const char *>(a), size1);
            const QString y = QString::fromUtf8(reinterpret_cast<const char *>(b), size2);
            return x.compare(y, Qt::CaseInsensitive);
        }
        const int ca = (a[i] >= 'A' && a[i] <= 'Z') ? a[i] + 32 : a[i];
        const int cb = (b[i] >= 'A' && b[i] <= 'Z') ? b[i] + 32 : b[i];
        if (ca != cb)
            return ca - cb;
    }
    // One is a prefix of the other; its remaining bytes may still be non-ASCII.
    for (int i = common; i < std::max(size1, size2); ++i) {
        if ((i < size1 && a[i] >= 0x80) || (i < size2 && b[i] >= 0x80)) {
            const QString x = QString::fromUtf8(reinterpret_cast<const char *>(a), size1);
            const QString y = QString::fromUtf8(reinterpret_cast<const char *>(b), size2);
            return x.compare(y, Qt::CaseInsensitive);
        }
    }
    return size1 - size2;
}

} // namespace zarvo
