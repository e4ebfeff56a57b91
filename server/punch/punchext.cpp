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

void PunchServer::startGrace(qint64 index)
{
    if (!m_monotonic.isValid())
        m_monotonic.start();
    m_grace.emplace_back(m_monotonic.elapsed() + HelloGraceMs, index);
    if (!m_graceTimer->isActive())
        m_graceTimer->start(HelloGraceMs);
}

void PunchServer::graceExpired()
{
    const qint64 now = m_monotonic.elapsed();
    while (!m_grace.empty() && m_grace.front().first <= now) {
        const qint64 index = m_grace.front().second;
        m_grace.pop_front();
        if (Link *l = m_links->link(index))
            offerAcceptBox(*l, peer(*l));
    }
    if (!m_grace.empty())
        m_graceTimer->start(int(std::max<qint64>(1, m_grace.front().first - now)));
}

void PunchServer::offerAcceptBox(Link &link, Peer &peer)
{
    if (!peer.boxDue)
        return;
    peer.boxDue = false;
    if (m_openAcceptBoxes < MaxAcceptBoxes)
        showAcceptBox(link.index, link.address);
    else
        m_waitingForBox.append(link.index);
}

void PunchServer::hello(Link &link, Peer &peer, const Ext::HelloMsg &m)
{
    peer.hello = true;
    peer.terminalId = m.terminalId;
    peer.hostName = m.hostName;
    const QDateTime now = zarvo::Clock::now();
    send(link.index, Ext::welcomeFrame({QLatin1String(Ext::Version), Ext::toMs(now)}));
    const bool known = m_knownTerminals.contains(m.terminalId);
    m_knownTerminals.insert(m.terminalId);
    if (known && peer.boxDue && !link.leaving) {
        // Accepted earlier in this run: back at once, without troubling the operator again.
        peer.boxDue = false;
        send(link.index, QByteArray::fromRawData(zarvo::Protocol::ConnectionAccepted, 3));
    } else {
        offerAcceptBox(link, peer);
    }
    m_terminals.introduced(link.index, m.terminalId, m.hostName, m.clockMs - Ext::toMs(now), m.waiting, now);
}

bool PunchServer::collectJobs(Link &link, const QByteArray &bytes, QList<zarvo::PunchJob> &jobs, QList<After> &after,
                              QString *fault)
{
    Peer &p = peer(link);
    const qint64 index = link.index;
    const auto seed = [&](const QByteArray &message) {
        // A terminal that types an ID gets its box now, as the seed shows it.
        offerAcceptBox(link, p);
        jobs.append([message](zarvo::DatabaseSession &db) { return zarvo::answerPunch(db, message); });
        const QString id = zarvo::Protocol::decode(message);
        after.append([this, id, index](const QString &failure, const QByteArray &reply) {
            if (!failure.isEmpty())
                m_notices->punchNotStored(id, failure, zarvo::Clock::now());
            else if (zarvo::isRecordedPunchReply(reply))
                m_terminals.punched(index, zarvo::Clock::now());
        });
        if (p.hello)
            followWithHours(index, id, jobs, after);
    };
    // The seed's way, untouched, for every connection that never sent a frame.
    if (!p.reader && !bytes.contains(Ext::Start)) {
        seed(bytes);
        return true;
    }
    if (!p.reader)
        p.reader = std::make_unique<Ext::StreamReader>();
    const QList<Ext::Piece> pieces = p.reader->feed(bytes);
    for (const Ext::Piece &piece : pieces) {
        if (piece.kind == Ext::Piece::Seed) {
            seed(piece.seed);
            continue;
        }
        const QString type = piece.fields.value(0);
        if (!p.hello) {
            const auto m = Ext::parseHello(piece.fields);
            if (!m) {
                *fault = type == QLatin1String(Ext::Hello) ? QStringLiteral("a malformed HELLO")
                                                           : QStringLiteral("a message before HELLO");
                return false;
            }
            hello(link, p, *m);
        } else if (const auto m = Ext::parsePunch(piece.fields)) {
            const QDateTime when = Ext::fromMs(m->typedMs + m->offsetMs);
            const zarvo::ReplaySource source{p.terminalId, p.hostName, link.address};
            const qint64 seq = m->seq;
            const QString id = m->employeeId;
            ++m_batchReplays;
            auto answer = std::make_shared<zarvo::ReplayAnswer>();
            jobs.append([=](zarvo::DatabaseSession &db) {
                *answer = zarvo::answerReplay(db, id, when, source, zarvo::Clock::now());
                return Ext::ackFrame({seq, answer->result, answer->name});
            });
            after.append([this, answer, id, when, source, index](const QString &failure, const QByteArray &) {
                namespace R = Ext::Result;
                if (!failure.isEmpty())
                    m_notices->punchNotStored(id, failure, when);
                else if (!answer->heldReason.isEmpty())
                    m_notices->punchHeld(id, when, answer->heldReason, source.terminalName, source.address);
                else if (answer->result == QLatin1String(R::SignedIn) || answer->result == QLatin1String(R::SignedOut))
                    m_terminals.punched(index, zarvo::Clock::now());
            });
        } else if (const auto m = Ext::parseStatus(piece.fields)) {
            const QDateTime now = zarvo::Clock::now();
            m_terminals.reported(index, m->waiting, m->clockMs - Ext::toMs(now), now);
        } else {
            *fault = QStringLiteral("a malformed or unknown message (%1)").arg(type.left(16));
            return false;
        }
    }
    if (p.reader->bad()) {
        *fault = p.reader->error();
        return false;
    }
    return true;
}

void PunchServer::closeForBadMessage(qint64 index, const QString &why)
{
    const Link *l = m_links->link(index);
    if (!l)
        return;
    ++m_badMessages;
    m_notices->connectionsTurnedAway(QStringLiteral("bad message"),
        QStringLiteral("A connection from %1 sent %2: it was closed (no terminal of this program sends that). "
                       "Closed for bad messages so far: %3.").arg(l->address, why).arg(m_badMessages));
    m_links->drop(index);
}
