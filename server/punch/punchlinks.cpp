// The punch server's connections: accepting, making room, reading, writing and closing, on
// bare non-blocking descriptors watched together through one epoll set.
#include "clock.h"
#include "operatornotices.h"
#include "punchserver.h"
#include <QHostAddress>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <malloc.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
/// Dotted decimal for IPv4 peers, also when the dual-stack listener reports them as
/// IPv4-mapped IPv6 addresses; a genuine IPv6 peer keeps its own text.
QString peerAddress(int fd)
{
    sockaddr_storage storage{};
    socklen_t size = sizeof storage;
    if (::getpeername(fd, reinterpret_cast<sockaddr *>(&storage), &size) != 0)
        return {};
    const QHostAddress address(reinterpret_cast<sockaddr *>(&storage));
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4).toString() : address.toString();
}

void setOption(int fd, int level, int name, int value) { ::setsockopt(fd, level, name, &value, sizeof value); }
} // namespace

void PunchServer::addConnection(int fd)
{
    const QString address = peerAddress(fd);
    if (!makeRoomFor(address)) {
        ++m_dropped;
        ::close(fd);
        return;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    setOption(fd, IPPROTO_TCP, TCP_NODELAY, 1);
    // A terminal that vanished without a word is found by keep-alive probes; a reply to one
    // that nobody acknowledges gives up after the same two minutes.
    setOption(fd, SOL_SOCKET, SO_KEEPALIVE, 1);
    setOption(fd, IPPROTO_TCP, TCP_KEEPIDLE, KeepIdleSeconds);
    setOption(fd, IPPROTO_TCP, TCP_KEEPINTVL, KeepIntervalSeconds);
    setOption(fd, IPPROTO_TCP, TCP_KEEPCNT, KeepCount);
    setOption(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, (KeepIdleSeconds + KeepCount * KeepIntervalSeconds) * 1000);

    // Slot numbers are 64-bit: they never wrap or repeat in one run, however many terminals.
    auto *s = new Slot;
    s->index = ++m_lastSlot;
    s->fd = fd;
    s->address = address;
    s->activity = ++m_clock;
    m_slots.emplace(s->index, s);
    m_byAddress[address].emplace(s->activity, s->index);
    m_peakSinceTrim = std::max(m_peakSinceTrim, m_slots.size());
    m_terminals.connected(s->index, address, zarvo::Clock::now());
    epoll_event ev{};
    ev.events = EPOLLIN | EPOLLRDHUP;
    ev.data.u64 = quint64(s->index);
    ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &ev);

    if (m_openAcceptBoxes < MaxAcceptBoxes)
        showAcceptBox(s->index);
    else
        m_waitingForBox.append(s->index);
}

bool PunchServer::makeRoomFor(const QString &address)
{
    // While there is room every connection is kept, however many share an address: many
    // terminals behind one router (NAT, a VPN from a second site) look like one address.
    if (int(m_slots.size()) < m_cap)
        return true;
    // The server is full: the address holding the most gives up its least recently active.
    QString busiest;
    size_t most = 0;
    for (auto it = m_byAddress.cbegin(); it != m_byAddress.cend(); ++it)
        if (it->size() > most)
            most = it->size(), busiest = it.key();
    if (most > 1) {
        evict(busiest,
              QStringLiteral("The server holds its most connections (%1). %2 holds %3 of them: its least "
                             "recently active connection was closed to make room for a terminal at %4.")
                  .arg(m_cap).arg(busiest).arg(most).arg(address),
              QStringLiteral("full|") + busiest);
        return true;
    }
    m_notices->connectionsTurnedAway(QStringLiteral("refused"),
        QStringLiteral("The server holds its most connections (%1), one from each address: a terminal at %2 "
                       "was refused. Refused so far: %3.").arg(m_cap).arg(address).arg(m_dropped + 1));
    return false;
}

void PunchServer::evict(const QString &address, const QString &why, const QString &noticeKey)
{
    const auto it = m_byAddress.constFind(address);
    if (it == m_byAddress.cend() || it->empty())
        return;
    ++m_dropped;
    const qint64 victim = it->begin()->second;
    // What it sent before it had to go is still read, recorded and answered.
    if (Slot *s = slot(victim)) {
        readFrom(s);
        if ((s = slot(victim)) && !s->in.isEmpty()) {
            queue(s);
            answerReady();
        }
    }
    closeSlot(victim);
    m_notices->connectionsTurnedAway(noticeKey, why);
}

void PunchServer::touch(Slot *s)
{
    auto &mine = m_byAddress[s->address];
    mine.erase({s->activity, s->index});
    s->activity = ++m_clock;
    mine.emplace(s->activity, s->index);
}

void PunchServer::readyDescriptors()
{
    // A bounded share per turn: timers and the windows get their turn in between, and a flood
    // of events is taken up again on the next turn.
    epoll_event events[512];
    const int n = ::epoll_wait(m_epoll, events, 512, 0);
    for (int i = 0; i < n; ++i) {
        Slot *s = slot(qint64(events[i].data.u64));
        if (!s)
            continue;
        if (s->peerDone && (events[i].events & (EPOLLHUP | EPOLLERR))) {
            // Reset after it had finished sending: its punch is still recorded, unanswered.
            peerLeft(s->index);
            continue;
        }
        if (events[i].events & (EPOLLIN | EPOLLRDHUP | EPOLLHUP | EPOLLERR))
            readFrom(s);
        if ((s = slot(qint64(events[i].data.u64))) && (events[i].events & EPOLLOUT))
            flush(s);
    }
}

void PunchServer::readFrom(Slot *s)
{
    char buffer[MaxMessage + 1];
    while (!s->peerDone) {
        // One byte over the largest message shows an over-long one without reading more of it.
        const qsizetype room = MaxMessage + 1 - s->in.size();
        if (room <= 0)
            break;
        const ssize_t got = ::recv(s->fd, buffer, size_t(room), 0);
        if (got > 0) {
            if (s->in.isEmpty())
                s->in.reserve(got);
            s->in.append(buffer, got);
        } else if (got == 0) {
            s->peerDone = true; // sent all it will; what it sent is still answered
            watch(s);
        } else if (errno == EINTR) {
            continue;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            break;
        } else {
            connectionFailed(s, errno);
            return;
        }
    }
    if (s->in.size() > MaxMessage) {
        // No employee ID is this long: whatever sends it is no terminal.
        ++m_dropped;
        closeSlot(s->index);
        return;
    }
    if (!s->in.isEmpty()) {
        touch(s);
        queue(s);
    } else {
        finishIfDone(s);
    }
}

void PunchServer::send(Slot *s, const QByteArray &bytes)
{
    qsizetype sent = 0;
    if (s->out.isEmpty()) {
        const ssize_t n = ::send(s->fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL);
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            connectionFailed(s, errno);
            return;
        }
        sent = std::max<qsizetype>(n, 0);
    }
    if (sent == bytes.size())
        return;
    s->out.append(bytes.constData() + sent, bytes.size() - sent);
    if (s->out.size() > MaxUnreadReplies) {
        ++m_dropped;
        closeSlot(s->index);
        return;
    }
    watch(s);
}

void PunchServer::flush(Slot *s)
{
    while (!s->out.isEmpty()) {
        const ssize_t n = ::send(s->fd, s->out.constData(), size_t(s->out.size()), MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                connectionFailed(s, errno);
            return;
        }
        s->out.remove(0, n);
    }
    s->out = QByteArray();
    watch(s);
    finishIfDone(s);
}

void PunchServer::watch(Slot *s)
{
    epoll_event ev{};
    ev.events = (s->peerDone ? 0 : EPOLLIN | EPOLLRDHUP) | (s->out.isEmpty() ? 0 : EPOLLOUT);
    ev.data.u64 = quint64(s->index);
    ::epoll_ctl(m_epoll, EPOLL_CTL_MOD, s->fd, &ev);
}

void PunchServer::finishIfDone(Slot *s)
{
    // The terminal has sent all it will, had its reply and taken it: the slot closes.
    if (s->peerDone && s->in.isEmpty() && !s->queued && s->out.isEmpty())
        closeSlot(s->index);
}

void PunchServer::connectionFailed(Slot *s, int error)
{
    QAbstractSocket::SocketError kind = QAbstractSocket::NetworkError;
    QString description = QString::fromLocal8Bit(std::strerror(error));
    switch (error) {
    case ECONNRESET:
    case EPIPE:
        kind = QAbstractSocket::RemoteHostClosedError;
        break;
    case ETIMEDOUT:
        // Keep-alive found the terminal gone.
        kind = QAbstractSocket::SocketTimeoutError;
        description = QStringLiteral("The terminal stopped answering (connection timed out)");
        break;
    default:
        break;
    }
    slotError(s->index, int(kind), description);
}

void PunchServer::closeSlot(qint64 index)
{
    const auto it = m_slots.find(index);
    if (it == m_slots.end())
        return;
    Slot *s = it->second;
    m_slots.erase(it);
    m_terminals.disconnected(index, zarvo::Clock::now());
    const auto mine = m_byAddress.find(s->address);
    if (mine != m_byAddress.end()) {
        mine->erase({s->activity, s->index});
        if (mine->empty())
            m_byAddress.erase(mine);
    }
    // Closing takes the descriptor out of the epoll set; replies already handed to the kernel
    // still go out before the connection ends.
    ::close(s->fd);
    delete s;
    if (!m_trimTimer->isActive())
        m_trimTimer->start();
}

void PunchServer::releaseMemoryLater()
{
    // After a flood of connections has gone, hand the freed memory back to the system, so
    // floods that come and go do not leave the server ever larger.
    if (m_peakSinceTrim < m_slots.size() + 1000)
        return;
    if (m_slots.empty()) {
        m_byAddress.squeeze();
        m_ready.squeeze();
    }
    m_peakSinceTrim = m_slots.size();
    ::malloc_trim(0);
}
