#include "systemtexts.h"
#include <QLocale>
#include <QRegularExpression>

namespace zarvo::SystemTexts {
namespace {
// A clock shows no time zone: unquoted zone fields go with the blank before them.
QString withoutZone(QString format)
{
    static const QRegularExpression zone(QStringLiteral("\\s*(?<![A-Za-z'])t+(?![A-Za-z'])"));
    return format.remove(zone).trimmed();
}

// Some locales put narrow or non-breaking blanks before AM/PM; a plain blank reads the same.
QString plainBlanks(QString text)
{
    return text.replace(QChar(0x202F), QLatin1Char(' ')).replace(QChar(0x00A0), QLatin1Char(' '));
}
} // namespace

QString time(const QTime &when)
{
    const QLocale locale = QLocale::system();
    return plainBlanks(locale.toString(when, withoutZone(locale.timeFormat(QLocale::LongFormat))));
}

QString generalDateTime(const QDateTime &when)
{
    QString date = QLocale::system().dateFormat(QLocale::ShortFormat);
    // A clock shows the whole year: "yy" alone becomes "yyyy".
    static const QRegularExpression twoDigitYear(QStringLiteral("(?<!y)yy(?!y)"));
    date.replace(twoDigitYear, QStringLiteral("yyyy"));
    return plainBlanks(QLocale::system().toString(when.date(), date)) + QLatin1Char(' ') + time(when.time());
}

} // namespace zarvo::SystemTexts
