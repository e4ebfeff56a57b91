// The punch server's side of terminal health and of the hours after a punch: the registry the
// Terminals window and the status bar read, fed as terminals come, introduce themselves,
// report, punch and go; and the HOURS frame that follows a recorded punch's reply to a
// terminal that speaks the extension (never to a seed terminal, never inside the seed reply).
#include "clock.h"
#include "hourssofar.h"
#include "protocolext.h"
#include "punchrule.h"
#include "punchserver.h"
#include <memory>

namespace Ext = zarvo::ProtocolExt;

void PunchServer::keepTerminalHealth()
{
    // Fed where terminals connect, introduce themselves, report and punch (punchserver.cpp,
    // punchext.cpp); the Terminals window and the status bar read it from here.
    zarvo::TerminalRegistry::setCurrent(&m_terminals);
}

void PunchServer::forgetTerminalHealth()
{
    if (zarvo::TerminalRegistry::current() == &m_terminals)
        zarvo::TerminalRegistry::setCurrent(nullptr);
}

void PunchServer::followWithHours(qint64 index, const QString &employeeId, QList<zarvo::PunchJob> &jobs,
                                  QList<After> &after)
{
    // The job notes whether it recorded a punch (it may run twice when its batch is answered
    // again one by one: the last run counts); once it is stored, the hours are due.
    auto recorded = std::make_shared<bool>(false);
    jobs.last() = [job = jobs.last(), recorded](zarvo::DatabaseSession &db) {
        const QByteArray reply = job(db);
        *recorded = zarvo::isRecordedPunchReply(reply);
        return reply;
    };
    after.last() = [this, then = after.last(), recorded, index,
                     employeeId](const QString &failure, const QByteArray &reply) {
        then(failure, reply);
        if (failure.isEmpty() && *recorded)
            m_hoursDue.append({index, employeeId});
    };
}

void PunchServer::sendHoursDue()
{
    const QDateTime now = zarvo::Clock::now();
    // Read after the commit: the figures include the punch just stored.
    for (const auto &[index, employeeId] : std::exchange(m_hoursDue, {})) {
        const zarvo::Link *l = m_links->link(index);
        if (!l || l->leaving)
            continue;
        try {
            const zarvo::HoursSoFar h =
                zarvo::hoursSoFar(m_db, employeeId, now, zarvo::serverWeekStart());
            send(index, Ext::hoursFrame({zarvo::hoursFigure(h.today), zarvo::hoursFigure(h.week)}));
        } catch (const zarvo::DbError &) {
            // The punch and its reply stand; only the figures are missing, never wrong ones.
        }
    }
}
