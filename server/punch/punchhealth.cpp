// The punch server's side of terminal health and of the hours after a punch: the registry the
// Terminals window and the status bar read, fed as terminals come, introduce themselves,
// report, punch and go; and the HOURS frame that follows a recorded punch's reply to a
// terminal that speaks the extension (never to a seed terminal, never inside the seed reply).
#include "clock.h"
#include "hourssofar.h"
#include "module1.h"
#include "protocolext.h"
#include "punchrule.h"
#include "punchserver.h"
#include <memory>

namespace Ext = zarvo::ProtocolExt;

namespace {
/// An ACK frame telling of a replayed punch that was recorded.
bool isRecordedAck(const QByteArray &reply)
{
    if (!reply.startsWith(Ext::Start))
        return false;
    Ext::StreamReader reader;
    const QList<Ext::Piece> pieces = reader.feed(reply);
    if (pieces.size() != 1 || pieces[0].kind != Ext::Piece::Frame)
        return false;
    const auto ack = Ext::parseAck(pieces[0].fields);
    return ack && (ack->result == QLatin1String(Ext::Result::SignedIn)
                   || ack->result == QLatin1String(Ext::Result::SignedOut));
}
} // namespace

void PunchServer::keepTerminalHealth()
{
    zarvo::TerminalRegistry::setCurrent(&m_terminals);
    // The extension's offsets are the server's clock minus the terminal's.
    connect(this, &PunchServer::terminalIntroduced, this,
            [this](qint64 slot, const QString &id, const QString &host, qint64 offsetMs, int waiting) {
                m_terminals.introduced(slot, id, host, -offsetMs, waiting, zarvo::Clock::now());
            });
    connect(this, &PunchServer::terminalStatus, this, [this](qint64 slot, int waiting, qint64 offsetMs) {
        m_terminals.reported(slot, waiting, -offsetMs, zarvo::Clock::now());
    });
}

void PunchServer::forgetTerminalHealth()
{
    if (zarvo::TerminalRegistry::current() == &m_terminals)
        zarvo::TerminalRegistry::setCurrent(nullptr);
}

void PunchServer::followWithHours(Slot *s, const QString &employeeId, QList<zarvo::PunchJob> &jobs,
                                  QList<std::function<void(const QString &)>> &after)
{
    // The job notes whether it recorded a punch (it may run twice when its batch is answered
    // again one by one: the last run counts); once it is stored, the hours are due.
    auto recorded = std::make_shared<bool>(false);
    jobs.last() = [job = jobs.last(), recorded](zarvo::DatabaseSession &db) {
        const QByteArray reply = job(db);
        *recorded = zarvo::isRecordedPunchReply(reply);
        return reply;
    };
    after.last() = [this, then = after.last(), recorded, index = s->index, employeeId](const QString &failure) {
        then(failure);
        if (failure.isEmpty() && *recorded)
            m_hoursDue.append({index, employeeId});
    };
}

void PunchServer::afterReplies(const QList<qint64> &owners, const QList<QByteArray> &replies)
{
    const QDateTime now = zarvo::Clock::now();
    for (qsizetype i = 0; i < replies.size(); ++i)
        if (zarvo::isRecordedPunchReply(replies[i]) || isRecordedAck(replies[i]))
            m_terminals.punched(owners[i], now);
    // Read after the commit: the figures include the punch just stored.
    for (const auto &[index, employeeId] : std::exchange(m_hoursDue, {})) {
        Slot *s = slot(index);
        if (!s || s->leaving)
            continue;
        try {
            const zarvo::HoursSoFar h =
                zarvo::hoursSoFar(Module1::instance().db, employeeId, now, zarvo::serverWeekStart());
            send(s, Ext::hoursFrame({zarvo::hoursFigure(h.today), zarvo::hoursFigure(h.week)}));
        } catch (const zarvo::DbError &) {
            // The punch and its reply stand; only the figures are missing, never wrong ones.
        }
    }
}
