#include "hours.h"
#include "database.h"
#include <QLocale>
#include <cmath>

namespace zarvo {

void PayPeriodTotals::add(const PairHours &pair)
{
    work += pair.work;
    regular += pair.regular;
    overtime += pair.overtime;
}

PayPeriodTotals PayPeriodTotals::rounded() const
{
    return {roundHours(work), roundHours(regular), roundHours(overtime)};
}

double roundHours(double hours)
{
    // Written with 4 decimals and read back, as the figures are printed.
    return QString::number(hours, 'f', 4).toDouble();
}

std::optional<QTime> timeOfDay(const QVariant &field)
{
    if (!field.isValid() || field.isNull())
        return std::nullopt;
    QTime t;
    switch (field.typeId()) {
    case QMetaType::QTime: t = field.toTime(); break;
    case QMetaType::QDateTime: t = field.toDateTime().time(); break;
    case QMetaType::QString: {
        const QString text = field.toString().trimmed();
        for (const char *format : {"HH:mm:ss", "H:mm:ss", "HH:mm", "H:mm"}) {
            t = QTime::fromString(text, QLatin1String(format));
            if (t.isValid())
                break;
        }
        break;
    }
    default: break;
    }
    if (!t.isValid())
        return std::nullopt;
    return t;
}

std::optional<PairHours> ComputePairHours(const QVariant &timeIn, const QVariant &timeOut)
{
    const std::optional<QTime> out = timeOfDay(timeOut);
    const std::optional<QTime> in = timeOfDay(timeIn);
    if (!out || !in)
        return std::nullopt;
    int elapsed = in->secsTo(*out);
    if (elapsed < 0)
        elapsed += 24 * 3600; // the shift ran past midnight
    const int hours = elapsed / 3600;
    const int minutes = (elapsed % 3600) / 60; // the seconds are dropped, not rounded
    const double work = hours + minutes / 60.0;
    PairHours p;
    p.work = roundHours(work);
    if (work > kRegularCapPerPair) {
        p.regular = kRegularCapPerPair;
        p.overtime = roundHours(work - kRegularCapPerPair);
    } else {
        p.regular = p.work;
    }
    return p;
}

bool runsPastMidnight(const QVariant &timeIn, const QVariant &timeOut)
{
    const std::optional<QTime> out = timeOfDay(timeOut);
    const std::optional<QTime> in = timeOfDay(timeIn);
    return in && out && *out < *in;
}

std::vector<SelectedPair> selectPairs(const RecordSet &row)
{
    static const char *const kIns[] = {"in1", "in2", "in3"};
    static const char *const kOuts[] = {"out1", "out2", "out3"};
    std::vector<SelectedPair> pairs;
    for (int i = 0; i < 3; ++i) {
        const QVariant in = row.value(QLatin1String(kIns[i]));
        if (!in.isValid() || in.isNull())
            continue; // a pair without a time-in counts nothing, whatever its time-out holds
        pairs.push_back({i + 1, in, row.value(QLatin1String(kOuts[i]))});
    }
    return pairs;
}

std::optional<double> wageValue(const QVariant &field)
{
    if (!field.isValid() || field.isNull())
        return std::nullopt;
    bool ok = false;
    const double d = field.typeId() == QMetaType::QString
                         ? QLocale::c().toDouble(field.toString().trimmed(), &ok)
                         : field.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    return d;
}

Earnings computeEarnings(double regularHours, double overtimeHours, const QVariant &regWage,
                         const QVariant &otWage)
{
    Earnings e;
    e.regular = regularHours * wageValue(regWage).value_or(0.0);
    e.overtime = overtimeHours * wageValue(otWage).value_or(0.0);
    e.total = e.regular + e.overtime;
    return e;
}

} // namespace zarvo
