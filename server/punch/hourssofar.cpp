#include "hourssofar.h"
#include "hours.h"
#include "module1.h"
#include <QFileInfo>
#include <QLocale>
#include <QSettings>

namespace zarvo {

void WeekStartSetting::setFile(const QString &file)
{
    if (file == m_file)
        return;
    m_file = file;
    m_size = -2; // read at the next use
}

Qt::DayOfWeek WeekStartSetting::firstDay()
{
    // A look at the file's size and time costs microseconds; it is read only when they change.
    const QFileInfo info(m_file);
    const qint64 size = info.exists() ? info.size() : -1;
    const QDateTime stamp = info.exists() ? info.lastModified() : QDateTime();
    if (size == m_size && stamp == m_stamp)
        return m_day;
    m_size = size;
    m_stamp = stamp;
    m_day = Qt::Monday;
    if (size >= 0) {
        const QSettings settings(m_file, QSettings::IniFormat);
        m_day = parseDay(settings.value(QStringLiteral("week_starts_on")).toString()).value_or(Qt::Monday);
    }
    return m_day;
}

std::optional<Qt::DayOfWeek> WeekStartSetting::parseDay(const QString &text)
{
    const QString t = text.trimmed();
    if (t.size() < 3)
        return std::nullopt;
    for (int d = Qt::Monday; d <= Qt::Sunday; ++d) {
        const QString name = QLocale::c().dayName(d, QLocale::LongFormat);
        if (name.compare(t, Qt::CaseInsensitive) == 0 || name.left(3).compare(t, Qt::CaseInsensitive) == 0)
            return Qt::DayOfWeek(d);
    }
    return std::nullopt;
}

Qt::DayOfWeek serverWeekStart()
{
    static WeekStartSetting setting;
    setting.setFile(Module1::databaseFolder() + QStringLiteral("/zarvo.ini"));
    return setting.firstDay();
}

QDate weekStart(const QDate &day, Qt::DayOfWeek firstDay)
{
    return day.addDays(-((day.dayOfWeek() - int(firstDay) + 7) % 7));
}

HoursSoFar hoursSoFar(DatabaseSession &db, const QString &employeeId, const QDateTime &at,
                      Qt::DayOfWeek firstDay)
{
    const QDate today = at.date();
    // Days are stored year first, so the week is one range of the (emp_id, rsdate) index
    // whatever month or year it crosses; rows of later days (typed ahead by hand) stay out.
    RecordSet rs;
    rs.open(db, QStringLiteral("Select * from timesheet where emp_id = ? and rsdate >= ? and rsdate <= ?"),
            {employeeId, weekStart(today, firstDay), today});
    HoursSoFar h;
    for (; !rs.eof(); rs.moveNext()) {
        const bool isToday = rs.value(QStringLiteral("rsdate")).toDate() == today;
        for (const SelectedPair &pair : selectPairs(rs)) {
            std::optional<PairHours> hours = ComputePairHours(pair.timeIn, pair.timeOut);
            if (!hours && isToday && !pair.timeOut.isValid()) {
                // Still open today: it runs up to the moment, never "past midnight" backwards.
                const std::optional<QTime> in = timeOfDay(pair.timeIn);
                if (in && *in <= at.time())
                    hours = ComputePairHours(pair.timeIn, at.time());
            }
            if (!hours)
                continue;
            h.week += hours->work;
            if (isToday)
                h.today += hours->work;
        }
    }
    h.today = roundHours(h.today);
    h.week = roundHours(h.week);
    return h;
}

QString hoursFigure(double hours) { return QString::number(hours, 'f', 2); }

} // namespace zarvo
