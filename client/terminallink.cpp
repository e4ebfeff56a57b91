#include "terminallink.h"
#include "clock.h"
#include "protocol.h"
#include <QRandomGenerator>
#include <QTimer>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace Ext = zarvo::ProtocolExt;

namespace {
qint64 nowMs() { return Ext::toMs(zarvo::Clock::now()); }
} // namespace

TerminalLink::TerminalLink(zarvo::DatabaseSession &db, const QString &hostName, QObject *parent)
    : QObject(parent), m_db(db), m_kept(db), m_hostName(hostName), m_socket(new QTcpSocket(this)),
      m_retry(new QTimer(this)), m_deadline(new QTimer(this)), m_liveTimer(new QTimer(this)),
      m_statusTimer(new QTimer(this))
{
    m_monotonic.start();
    m_identity = zarvo::loadTerminalIdentity(db, hostName);
    recount();
    m_retry->setSingleShot(true);
    connect(m_retry, &QTimer::timeout, this, &TerminalLink::attempt);
    m_deadline->setSingleShot(true);
    connect(m_deadline, &QTimer::timeout, this, [this] {
        // No connection, or no answer to HELLO, in time: a server that does not answer is
        // as good as none.
        const bool connecting = m_state == State::Connecting;
        m_socket->abort();
        onClosed(QAbstractSocket::SocketTimeoutError,
                 connecting ? QStringLiteral("The server did not answer the connection request")
                            : QStringLiteral("The server did not answer"));
    });
    m_liveTimer->setInterval(1000);
    connect(m_liveTimer, &QTimer::timeout, this, &TerminalLink::liveTimeouts);
    m_statusTimer->setInterval(StatusEveryMs);
    connect(m_statusTimer, &QTimer::timeout, this, &TerminalLink::sendStatus);

    connect(m_socket, &QTcpSocket::connected, this, &TerminalLink::onConnected);
    connect(m_socket, &QTcpSocket::readyRead, this, &TerminalLink::onData);
    connect(m_socket, &QTcpSocket::errorOccurred, this,
            [this](QAbstractSocket::SocketError e) { onClosed(int(e), m_socket->errorString()); });
    connect(m_socket, &QTcpSocket::disconnected, this, [this] {
        if (m_state != State::Waiting && m_state != State::Idle)
            onClosed(QAbstractSocket::RemoteHostClosedError, QStringLiteral("The remote host closed the connection"));
    });
}

TerminalLink::~TerminalLink() { m_socket->disconnect(this); }

void TerminalLink::connectTo(const QString &address, quint16 port)
{
    m_address = address;
    m_port = port;
    m_retryMs = FirstRetryMs;
    m_retry->stop();
    if (m_socket->state() != QAbstractSocket::UnconnectedState) {
        m_state = State::Idle; // a close we asked for is no failure
        m_socket->abort();
    }
    attempt();
}

int TerminalLink::secondsToRetry() const
{
    if (m_state != State::Waiting)
        return 0;
    const qint64 left = m_retryDueMs - m_retryClock.elapsed();
    return int(std::max<qint64>(1, (left + 999) / 1000));
}

void TerminalLink::setState(State s)
{
    m_state = s;
    emit stateChanged();
}

void TerminalLink::attempt()
{
    m_reader.reset();
    m_live.clear();
    m_sent.clear();
    m_lateReplies = 0;
    m_cursor = 0;
    setState(State::Connecting);
    m_deadline->start(ConnectTimeoutMs);
    m_socket->connectToHost(m_address, m_port);
}

void TerminalLink::scheduleRetry()
{
    // About the pause, give or take a fifth, so terminals that lost the server together do
    // not all come back in the same instant.
    const double jitter = 0.8 + 0.4 * QRandomGenerator::global()->generateDouble();
    m_retryDueMs = int(m_retryMs * jitter);
    m_retryMs = std::min(m_retryMs * 2, LastRetryMs);
    m_retryClock.start();
    m_retry->start(m_retryDueMs);
    setState(State::Waiting);
}

void TerminalLink::onConnected()
{
    // Retrying a port of this very computer that nobody listens on, the system may one day
    // hand out that same port for the attempt, which then connects to itself and would hold
    // the port the server needs to start.
    if (m_socket->localPort() == m_socket->peerPort() && m_socket->localAddress() == m_socket->peerAddress()) {
        m_socket->abort();
        onClosed(QAbstractSocket::ConnectionRefusedError, QStringLiteral("Connection refused"));
        return;
    }
    m_retryMs = FirstRetryMs;
    // A server that vanished without a word (power cut, cable) is noticed within seconds once
    // something is sent, and within about a minute when idle.
    const int fd = int(m_socket->socketDescriptor());
    const auto set = [fd](int level, int name, int value) { ::setsockopt(fd, level, name, &value, sizeof value); };
    set(SOL_SOCKET, SO_KEEPALIVE, 1);
    set(IPPROTO_TCP, TCP_KEEPIDLE, 30);
    set(IPPROTO_TCP, TCP_KEEPINTVL, 5);
    set(IPPROTO_TCP, TCP_KEEPCNT, 4);
    set(IPPROTO_TCP, TCP_USER_TIMEOUT, 10000);
    set(IPPROTO_TCP, TCP_NODELAY, 1);
    setState(State::Negotiating);
    m_deadline->start(NegotiateTimeoutMs);
    m_helloSentMs = nowMs();
    m_socket->write(Ext::helloFrame({QLatin1String(Ext::Version), m_identity.id, m_hostName, m_helloSentMs, waiting()}));
    emit connected();
}

void TerminalLink::onClosed(int error, const QString &description)
{
    if (m_state == State::Waiting || m_state == State::Idle)
        return;
    m_deadline->stop();
    m_liveTimer->stop();
    m_statusTimer->stop();
    if (m_socket->state() != QAbstractSocket::UnconnectedState) {
        m_state = State::Waiting; // the abort's own signals are not a second failure
        m_socket->abort();
    }
    // Live punches without their reply stay kept: they go again as replays.
    m_live.clear();
    m_sent.clear();
    recount();
    scheduleRetry();
    emit failed(error, description);
}

void TerminalLink::onData()
{
    for (const Ext::Piece &p : m_reader.feed(m_socket->readAll())) {
        if (p.kind == Ext::Piece::Seed)
            handleSeed(p.seed);
        else
            handleFrame(p.fields);
        if (m_state == State::Waiting || m_state == State::Idle) {
            m_acks.clear(); // sent again on the next connection, acknowledged as duplicates
            return;         // the connection was closed meanwhile
        }
    }
    forgetAcknowledged();
    if (m_reader.bad()) {
        const QString why = m_reader.error();
        m_socket->abort();
        onClosed(QAbstractSocket::UnknownSocketError, QStringLiteral("The server sent ") + why);
    }
}

void TerminalLink::handleSeed(const QByteArray &bytes)
{
    const QByteArray cra(zarvo::Protocol::ConnectionAccepted);
    // "CRA" glued to what follows is two messages: this terminal knows both.
    if (bytes.size() > 3 && bytes.startsWith(cra)) {
        handleSeed(cra);
        handleSeed(bytes.mid(3));
        return;
    }
    if (m_state == State::Negotiating && bytes == zarvo::Protocol::NotFound) {
        // A server without the extension took the HELLO for an ID: from here on this is a
        // seed terminal, and the "NRF" was no answer to anybody.
        m_deadline->stop();
        m_verdict = Verdict::SeedOnly;
        setState(State::Connected);
        // What was typed while it was being asked goes now, as typed IDs.
        for (const zarvo::KeptPunch &k : m_kept.oldest(1000)) {
            if (!m_typedHere.contains(k.id))
                continue;
            m_socket->write(zarvo::Protocol::encode(k.employeeId));
            m_kept.remove(k.id);
            m_typedHere.remove(k.id);
        }
        recount();
        return;
    }
    // The server answers in order, so a reply proves the oldest live punch handled, unless
    // it may belong to one that already went again as a replay.
    const QByteArray code = bytes.left(3);
    const bool reply = code == zarvo::Protocol::SignedIn || code == zarvo::Protocol::SignedOut
        || code == zarvo::Protocol::NotFound;
    if (reply && m_lateReplies > 0) {
        --m_lateReplies;
    } else if (reply && !m_live.isEmpty()) {
        const qint64 id = m_live.takeFirst().id;
        try {
            m_kept.remove(id);
        } catch (const zarvo::DbError &) {
            // Left kept: it goes again as a replay, which the server takes as a duplicate.
        }
        m_typedHere.remove(id);
        recount();
    }
    emit seedMessage(bytes);
}

void TerminalLink::handleFrame(const QStringList &fields)
{
    if (const auto w = Ext::parseWelcome(fields)) {
        welcomed(w->serverClockMs);
    } else if (const auto a = Ext::parseAck(fields)) {
        acknowledged(*a);
    } else if (const auto h = Ext::parseHours(fields)) {
        emit hours(h->today, h->week);
    }
    // Anything else is from a newer server: not for this terminal.
}

void TerminalLink::welcomed(qint64 serverClockMs)
{
    m_deadline->stop();
    // The server read its clock about half way between the HELLO and this answer.
    const qint64 now = nowMs();
    m_identity.offsetMs = serverClockMs - (m_helloSentMs + now) / 2;
    try {
        zarvo::saveClockOffset(m_db, m_identity.offsetMs);
    } catch (const zarvo::DbError &) {
        // Kept in memory for this run; the punches carry it anyway.
    }
    m_verdict = Verdict::Extension;
    setState(State::Connected);
    m_liveTimer->start();
    m_statusTimer->start();
    pump();
}

void TerminalLink::acknowledged(const Ext::AckMsg &ack)
{
    if (m_sent.remove(ack.seq))
        m_acks.append(ack); // forgotten with the others of this read, in one commit
}

void TerminalLink::forgetAcknowledged()
{
    if (m_acks.isEmpty())
        return;
    const QList<Ext::AckMsg> acks = std::exchange(m_acks, {});
    QHash<qint64, qint64> typed;
    try {
        zarvo::Transaction tx(m_db);
        for (const Ext::AckMsg &ack : acks) {
            if (m_typedHere.contains(ack.seq)) {
                const QList<zarvo::KeptPunch> row = m_kept.oldest(1, ack.seq - 1);
                typed.insert(ack.seq, !row.isEmpty() && row[0].id == ack.seq ? row[0].typedMs : 0);
            }
            m_kept.remove(ack.seq);
        }
        tx.commit();
    } catch (const zarvo::DbError &) {
        // Still kept: sent again later and acknowledged as duplicates.
    }
    for (const Ext::AckMsg &ack : acks)
        if (m_typedHere.remove(ack.seq))
            emit queuedPunchAnswered(ack.result, ack.name, typed.value(ack.seq));
    recount();
    pump();
}

void TerminalLink::pump()
{
    if (m_state != State::Connected || m_verdict != Verdict::Extension)
        return;
    if (m_sent.size() >= ReplayWindow)
        return;
    QList<zarvo::KeptPunch> next;
    try {
        next = m_kept.oldest(ReplayWindow, m_cursor);
    } catch (const zarvo::DbError &) {
        return;
    }
    for (const zarvo::KeptPunch &k : next) {
        if (m_sent.size() >= ReplayWindow)
            break;
        m_cursor = k.id;
        if (m_sent.contains(k.id))
            continue;
        bool live = false;
        for (const Live &l : std::as_const(m_live))
            live = live || l.id == k.id;
        if (live)
            continue; // its seed reply is awaited
        m_sent.insert(k.id);
        m_socket->write(Ext::punchFrame({k.id, k.employeeId, k.typedMs, k.offsetMs}));
    }
}

void TerminalLink::liveTimeouts()
{
    // A live punch whose reply did not come (a full day and a letter-case miss are answered
    // with silence, a store failure too) goes again as a replay: acknowledged either way.
    const qint64 now = m_monotonic.elapsed();
    bool moved = false;
    while (!m_live.isEmpty() && now - m_live.first().sentAtMs >= LiveReplyMs) {
        m_live.removeFirst();
        ++m_lateReplies; // its reply may still come: it proves nothing about the others
        moved = true;
    }
    if (moved) {
        m_cursor = 0;
        pump();
        recount();
    }
}

TerminalLink::Punch TerminalLink::punch(const QString &id, qint64 typedMs)
{
    // While the server is being asked what it speaks, the punch waits (kept) for the answer.
    const bool asking = m_state == State::Negotiating;
    if (!asking && m_verdict == Verdict::SeedOnly) {
        // The server has no extension: the seed's way exactly.
        if (m_state != State::Connected)
            return Punch::Unreachable;
        m_socket->write(zarvo::Protocol::encode(id));
        return Punch::SentLive;
    }
    qint64 row = 0;
    try {
        row = m_kept.add(id, typedMs, m_identity.offsetMs);
    } catch (const zarvo::DbError &e) {
        m_error = e.message();
        return Punch::NotSaved;
    }
    ++m_waiting;
    Punch result = Punch::Saved;
    if (asking) {
        m_typedHere.insert(row);
        result = Punch::Queued;
    } else if (m_state == State::Connected && m_waiting == 1 + int(m_live.size()) && m_sent.isEmpty()) {
        // Nothing else is waiting: the seed's bytes, as any terminal sends an ID.
        m_live.append({row, m_monotonic.elapsed()});
        m_cursor = std::max(m_cursor, row);
        m_socket->write(zarvo::Protocol::encode(id));
        result = Punch::SentLive;
    } else if (m_state == State::Connected) {
        // Older punches go first, so the day's slots fill in the order they were typed.
        m_typedHere.insert(row);
        pump();
        result = Punch::Queued;
    }
    recount();
    return result;
}

void TerminalLink::sendStatus()
{
    if (m_state == State::Connected && m_verdict == Verdict::Extension)
        m_socket->write(Ext::statusFrame({waiting(), nowMs()}));
}

void TerminalLink::recount()
{
    try {
        m_waiting = m_kept.count();
    } catch (const zarvo::DbError &) {
    }
    if (waiting() == m_shown)
        return;
    m_shown = waiting();
    sendStatus();
    emit waitingChanged(m_shown);
}
