// The punch server's side of the protocol extension: terminals that introduce themselves
// (HELLO/WELCOME), punches they kept while the server was away (PUNCH/ACK), their reports
// (STATUS), and the short grace a new connection's "Client Accepted" box waits for a HELLO.
// A terminal that never sends a frame is served exactly as the seed serves it.
#include "clock.h"
#include "operatornotices.h"
#include "protocol.h"
#include "protocolext.h"
#include "punchreplay.h"
#include "punchrule.h"
#include "punchserver.h"
#include <QTimer>

namespace Ext = zarvo::ProtocolExt;

void PunchServer::startGrace(Slot *s)
{
    if (!m_monotonic.isValid())
        m_monotonic.start();
    m_grace.emplace_back(m_monotonic.elapsed() + HelloGraceMs, s->index);
    if (!m_graceTimer->isActive())
        m_graceTimer->start(HelloGraceMs);
}

void PunchServer::graceExpired()
{
    const qint64 now = m_monotonic.elapsed();
    while (!m_grace.empty() && m_grace.front().first <= now) {
        const qint64 index = m_grace.front().second;
        m_grace.pop_front();
        if (Slot *s = slot(index))
            offerAcceptBox(s);
    }
    if (!m_grace.empty())
        m_graceTimer->start(int(std::max<qint64>(1, m_grace.front().first - now)));
}

void PunchServer::offerAcceptBox(Slot *s)
{
    if (!s->boxDue)
        return;
    s->boxDue = false;
    if (m_openAcceptBoxes < MaxAcceptBoxes)
        showAcceptBox(s->index);
    else
        m_waitingForBox.append(s->index);
}

void PunchServer::hello(Slot *s, const Ext::HelloMsg &m)
{
    s->hello = true;
    s->terminalId = m.terminalId;
    s->hostName = m.hostName;
    const QDateTime now = zarvo::Clock::now();
    send(s, Ext::welcomeFrame({QLatin1String(Ext::Version), Ext::toMs(now)}));
    const bool known = m_knownTerminals.contains(m.terminalId);
    m_knownTerminals.insert(m.terminalId);
    if (known && s->boxDue && !s->leaving) {
        // Accepted earlier in this run: back at once, without troubling the operator again.
        s->boxDue = false;
        send(s, QByteArray::fromRawData(zarvo::Protocol::ConnectionAccepted, 3));
    } else {
        offerAcceptBox(s);
    }
    m_terminals.introduced(s->index, m.terminalId, m.hostName, m.clockMs - Ext::toMs(now), m.waiting, now);
}

bool PunchServer::collectJobs(Slot *s, const QByteArray &bytes, QList<zarvo::PunchJob> &jobs,
                              QList<std::function<void(const QString &, const QByteArray &)>> &after,
                              QString *fault)
{
    const auto seed = [&](const QByteArray &message) {
        // A terminal that types an ID gets its box now, as the seed shows it.
        offerAcceptBox(s);
        jobs.append([message](zarvo::DatabaseSession &db) { return zarvo::answerPunch(db, message); });
        const QString id = zarvo::Protocol::decode(message);
        const qint64 index = s->index;
        after.append([this, id, index](const QString &failure, const QByteArray &reply) {
            if (!failure.isEmpty())
                m_notices->punchNotStored(id, failure, zarvo::Clock::now());
            else if (zarvo::isRecordedPunchReply(reply))
                m_terminals.punched(index, zarvo::Clock::now());
        });
        if (s->hello)
            followWithHours(s, id, jobs, after);
    };
    // The seed's way, untouched, for every connection that never sent a frame.
    if (!s->reader && !bytes.contains(Ext::Start)) {
        seed(bytes);
        return true;
    }
    if (!s->reader)
        s->reader = std::make_unique<Ext::StreamReader>();
    const QList<Ext::Piece> pieces = s->reader->feed(bytes);
    for (const Ext::Piece &p : pieces) {
        if (p.kind == Ext::Piece::Seed) {
            seed(p.seed);
            continue;
        }
        const QString type = p.fields.value(0);
        if (!s->hello) {
            const auto m = Ext::parseHello(p.fields);
            if (!m) {
                *fault = type == QLatin1String(Ext::Hello) ? QStringLiteral("a malformed HELLO")
                                                           : QStringLiteral("a message before HELLO");
                return false;
            }
            hello(s, *m);
        } else if (const auto m = Ext::parsePunch(p.fields)) {
            const QDateTime when = Ext::fromMs(m->typedMs + m->offsetMs);
            const zarvo::ReplaySource source{s->terminalId, s->hostName, s->address};
            const qint64 seq = m->seq;
            const QString id = m->employeeId;
            ++m_batchReplays;
            auto answer = std::make_shared<zarvo::ReplayAnswer>();
            jobs.append([=](zarvo::DatabaseSession &db) {
                *answer = zarvo::answerReplay(db, id, when, source, zarvo::Clock::now());
                return Ext::ackFrame({seq, answer->result, answer->name});
            });
            const qint64 index = s->index;
            after.append([this, answer, id, when, source, index](const QString &failure, const QByteArray &) {
                namespace R = Ext::Result;
                if (!failure.isEmpty())
                    m_notices->punchNotStored(id, failure, when);
                else if (!answer->heldReason.isEmpty())
                    m_notices->punchHeld(id, when, answer->heldReason, source.terminalName, source.address);
                else if (answer->result == QLatin1String(R::SignedIn) || answer->result == QLatin1String(R::SignedOut))
                    m_terminals.punched(index, zarvo::Clock::now());
            });
        } else if (const auto m = Ext::parseStatus(p.fields)) {
            const QDateTime now = zarvo::Clock::now();
            m_terminals.reported(s->index, m->waiting, m->clockMs - Ext::toMs(now), now);
        } else {
            *fault = QStringLiteral("a malformed or unknown message (%1)").arg(type.left(16));
            return false;
        }
    }
    if (s->reader->bad()) {
        *fault = s->reader->error();
        return false;
    }
    return true;
}

void PunchServer::closeForBadMessage(qint64 index, const QString &why)
{
    Slot *s = slot(index);
    if (!s)
        return;
    ++m_dropped;
    ++m_badMessages;
    m_notices->connectionsTurnedAway(QStringLiteral("bad message"),
        QStringLiteral("A connection from %1 sent %2: it was closed (no terminal of this program sends that). "
                       "Closed for bad messages so far: %3.").arg(s->address, why).arg(m_badMessages));
    closeSlot(index);
}
