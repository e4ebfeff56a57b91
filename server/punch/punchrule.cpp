#include "punchrule.h"
#include "serverlayout.h"
#include "clock.h"
#include "protocol.h"

namespace zarvo {
namespace {
using ServerLayout::TimeSlots;
}

PunchOutcome RecordPunch(DatabaseSession &db, const QString &id)
{
    // Day and time come from one reading of the clock, so a punch at midnight cannot mix days.
    return RecordPunchAt(db, id, Clock::now());
}

PunchOutcome RecordPunchAt(DatabaseSession &db, const QString &id, const QDateTime &now)
{
    const QString day = dayText(now.date());
    const QString time = timeText(now.time());

    // Only today's rows can matter, so the select is narrowed to them: the rows and their order
    // are those the whole history would give for today, and the cost stays flat as history grows.
    RecordSet rs;
    rs.open(db, QStringLiteral("Select * from timesheet where emp_id = ? and rsdate = ?"), {id, now.date()});
    if (rs.recordCount() > 0) {
        rs.moveFirst();
        if (rs.find(QStringLiteral("rsdate ='") + day + QLatin1Char('\''))) {
            for (int i = 0; i < 6; ++i) {
                const QString slot = QLatin1String(TimeSlots[i]);
                if (rs.value(slot).isValid())
                    continue;
                rs.setValue(slot, time);
                rs.update();
                return i % 2 == 0 ? PunchOutcome::SignedIn : PunchOutcome::SignedOut;
            }
            return PunchOutcome::DayFull;
        }
    }
    rs.addNew();
    rs.setValue(QStringLiteral("rsdate"), day);
    rs.setValue(QStringLiteral("emp_id"), id);
    rs.setValue(QStringLiteral("in1"), time);
    rs.update();
    return PunchOutcome::SignedIn;
}

QString punchName(const RecordSet &employee)
{
    return employee.text(QStringLiteral("emp_fname")) + QLatin1Char(' ') + employee.text(QStringLiteral("emp_lname"));
}

bool findEmployeeExact(RecordSet &employees, const QString &id)
{
    if (employees.recordCount() == 0)
        return false;
    employees.moveFirst();
    for (; !employees.eof(); employees.moveNext()) {
        const QVariant stored = employees.value(QStringLiteral("emp_id"));
        if (stored.isValid() && stored.toString() == id)
            return true;
    }
    return false;
}

ServerLookup lookupEmployeeForServer(DatabaseSession &db, const QString &id)
{
    RecordSet rs;
    rs.open(db, QStringLiteral("Select * from Employee where emp_id = ?"), {id});
    ServerLookup result;
    if (rs.recordCount() == 0)
        return result;
    // The query ignores letter case; the punch needs the ID exactly as stored.
    if (!findEmployeeExact(rs, id)) {
        result.kind = ServerLookup::NoExactMatch;
        return result;
    }
    result.kind = ServerLookup::Found;
    result.name = punchName(rs);
    return result;
}

QByteArray answerPunch(DatabaseSession &db, const QByteArray &message)
{
    const QString id = Protocol::decode(message);
    const ServerLookup found = lookupEmployeeForServer(db, id);
    switch (found.kind) {
    case ServerLookup::NoRows: return QByteArray(Protocol::NotFound);
    case ServerLookup::NoExactMatch: return {};
    case ServerLookup::Found: break;
    }
    switch (RecordPunch(db, id)) {
    case PunchOutcome::SignedIn: return QByteArray(Protocol::SignedIn) + Protocol::encode(found.name);
    case PunchOutcome::SignedOut: return QByteArray(Protocol::SignedOut) + Protocol::encode(found.name);
    case PunchOutcome::DayFull: break;
    }
    return {};
}

bool isRecordedPunchReply(const QByteArray &reply)
{
    return reply.startsWith(Protocol::SignedIn) || reply.startsWith(Protocol::SignedOut);
}

} // namespace zarvo
