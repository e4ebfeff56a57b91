// The punch server's connections: accepting, making room, reading, writing and closing, on
// bare non-blocking descriptors watched together through one epoll set.
#include "terminallinks.h"
#include "filelimit.h"
#include <QAbstractSocket>
#include <QHostAddress>
#include <QSocketNotifier>
#include <QTcpServer>
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

namespace zarvo {

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

/// Accepted connections come as bare descriptors, never as QTcpSockets (each of those would
/// cost the event loop on every turn).
class TerminalLinks::Listener : public QTcpServer {
public:
    explicit Listener(TerminalLinks *links) : QTcpServer(links), m_links(links) {}

protected:
    void incomingConnection(qintptr descriptor) override { m_links->addConnection(int(descriptor)); }

private:
    TerminalLinks *m_links;
};

TerminalLinks::TerminalLinks(LinkEvents &events, QObject *parent)
    : QObject(parent), m_events(events), m_listener(new Listener(this)), m_resumeTimer(new QTimer(this)),
      m_trimTimer(new QTimer(this)), m_cap(defaultConnectionCap())
{
    // A burst of terminals must not overflow the kernel's queue of half-accepted connections.
    m_listener->setListenBacklogSize(4096);
    connect(m_listener, &QTcpServer::acceptError, this, [this](QAbstractSocket::SocketError e) {
        m_events.listenerFailed(int(e), m_listener->errorString());
        // Qt has paused accepting; take it up again once descriptors may be free.
        if (!m_resumeTimer->isActive())
            m_resumeTimer->start();
    });

    m_epoll = epoll_create1(EPOLL_CLOEXEC);
    m_epollNotifier = new QSocketNotifier(m_epoll, QSocketNotifier::Read, this);
    connect(m_epollNotifier, &QSocketNotifier::activated, this, &TerminalLinks::readyDescriptors);

    // After an accept failure (out of descriptors) Qt stops accepting until told to resume.
    m_resumeTimer->setSingleShot(true);
    m_resumeTimer->setInterval(100);
    connect(m_resumeTimer, &QTimer::timeout, this, [this] {
        if (m_listener->isListening())
            m_listener->resumeAccepting();
        else if (!m_listener->listen(QHostAddress::Any, m_port))
            m_resumeTimer->start();
    });

    m_trimTimer->setSingleShot(true);
    m_trimTimer->setInterval(500);
    connect(m_trimTimer, &QTimer::timeout, this, &TerminalLinks::releaseMemoryLater);
}

TerminalLinks::~TerminalLinks()
{
    for (auto &[index, link] : m_links)
        ::close(link->fd);
    delete m_epollNotifier;
    ::close(m_epoll);
}

bool TerminalLinks::listen(quint16 port)
{
    m_port = port;
    if (!m_listener->listen(QHostAddress::Any, m_port)) {
        m_error = m_listener->errorString();
        // The punch port lies inside the range Linux hands out to outgoing connections, so a
        // connection of any program may hold it by chance.
        if (m_listener->serverError() == QAbstractSocket::AddressInUseError)
            m_error += QStringLiteral("\r\rPort ") + QString::number(m_port)
                + QStringLiteral(" is held by another program: a second punch server, or an outgoing "
                                 "connection that happened to be given this port. Reserve the port for the "
                                 "punch server (as root: sysctl -w net.ipv4.ip_local_reserved_ports=")
                + QString::number(m_port)
                + QStringLiteral(", and the same line in /etc/sysctl.d/ to keep it), then start the server again.");
        return false;
    }
    m_port = m_listener->serverPort();
    return true;
}

quint16 TerminalLinks::port() const { return m_listener->isListening() ? m_listener->serverPort() : m_port; }
bool TerminalLinks::isListening() const { return m_listener->isListening(); }

Link *TerminalLinks::link(qint64 index) const
{
    const auto it = m_links.find(index);
    return it == m_links.end() ? nullptr : it->second.get();
}

QList<QPair<qint64, QString>> TerminalLinks::connected() const
{
    QList<QPair<qint64, QString>> out;
    for (const auto &[index, link] : m_links)
        if (!link->peerDone && !link->leaving)
            out.append({index, link->address});
    return out;
}

void TerminalLinks::addConnection(int fd)
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

    // Link numbers are 64-bit: they never wrap or repeat in one run, however many terminals.
    auto made = std::make_unique<Link>();
    Link &link = *made;
    link.index = ++m_lastIndex;
    link.fd = fd;
    link.address = address;
    link.activity = ++m_clock;
    m_links.emplace(link.index, std::move(made));
    m_byAddress[address].emplace(link.activity, link.index);
    m_peakSinceTrim = std::max(m_peakSinceTrim, m_links.size());
    epoll_event ev{};
    ev.events = EPOLLIN | EPOLLRDHUP;
    ev.data.u64 = quint64(link.index);
    ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &ev);
    m_events.linkOpened(link);
}

bool TerminalLinks::makeRoomFor(const QString &address)
{
    // While there is room every connection is kept, however many share an address: many
    // terminals behind one router (NAT, a VPN from a second site) look like one address.
    if (int(m_links.size()) < m_cap)
        return true;
    // The server is full: the address holding the most gives up its least recently active.
    QString busiest;
    size_t most = 0;
    for (auto it = m_byAddress.cbegin(); it != m_byAddress.cend(); ++it)
        if (it->size() > most)
            most = it->size(), busiest = it.key();
    if (most > 1) {
        ++m_dropped;
        const qint64 victim = m_byAddress.value(busiest).begin()->second;
        // What it sent before it had to go is still read, recorded and answered.
        if (Link *l = link(victim)) {
            readFrom(*l);
            if ((l = link(victim)) && !l->in.isEmpty())
                m_events.linkSettle(*l);
        }
        close(victim);
        m_events.linksTurnedAway(QStringLiteral("full|") + busiest,
            QStringLiteral("The server holds its most connections (%1). %2 holds %3 of them: its least "
                           "recently active connection was closed to make room for a terminal at %4.")
                .arg(m_cap).arg(busiest).arg(most).arg(address));
        return true;
    }
    m_events.linksTurnedAway(QStringLiteral("refused"),
        QStringLiteral("The server holds its most connections (%1), one from each address: a terminal at %2 "
                       "was refused. Refused so far: %3.").arg(m_cap).arg(address).arg(m_dropped + 1));
    return false;
}

void TerminalLinks::touch(Link &link)
{
    auto &mine = m_byAddress[link.address];
    mine.erase({link.activity, link.index});
    link.activity = ++m_clock;
    mine.emplace(link.activity, link.index);
}

void TerminalLinks::readyDescriptors()
{
    // A bounded share per turn: timers and the windows get their turn in between, and a flood
    // of events is taken up again on the next turn.
    epoll_event events[512];
    const int n = ::epoll_wait(m_epoll, events, 512, 0);
    for (int i = 0; i < n; ++i) {
        const qint64 index = qint64(events[i].data.u64);
        Link *l = link(index);
        if (!l)
            continue;
        if (l->peerDone && (events[i].events & (EPOLLHUP | EPOLLERR))) {
            // Reset after it had finished sending: its punch is still recorded, unanswered.
            m_events.linkFailed(index, QAbstractSocket::RemoteHostClosedError, QString());
            continue;
        }
        if (events[i].events & (EPOLLIN | EPOLLRDHUP | EPOLLHUP | EPOLLERR))
            readFrom(*l);
        if ((l = link(index)) && (events[i].events & EPOLLOUT))
            flush(*l);
    }
}

void TerminalLinks::readFrom(Link &link)
{
    char buffer[MaxMessage + 1];
    while (!link.peerDone) {
        // One byte over the largest message shows an over-long one without reading more of it.
        const qsizetype room = MaxMessage + 1 - link.in.size();
        if (room <= 0)
            break;
        const ssize_t got = ::recv(link.fd, buffer, size_t(room), 0);
        if (got > 0) {
            if (link.in.isEmpty())
                link.in.reserve(got);
            link.in.append(buffer, got);
        } else if (got == 0) {
            link.peerDone = true; // sent all it will; what it sent is still answered
            watch(link);
        } else if (errno == EINTR) {
            continue;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            break;
        } else {
            failed(link, errno);
            return;
        }
    }
    if (link.in.size() > MaxMessage) {
        m_events.linkOverlong(link);
        return;
    }
    if (!link.in.isEmpty()) {
        touch(link);
        m_events.linkReceived(link);
    } else {
        finishIfDone(link);
    }
}

void TerminalLinks::send(Link &link, const QByteArray &bytes)
{
    qsizetype sent = 0;
    if (link.out.isEmpty()) {
        const ssize_t n = ::send(link.fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL);
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            const int error = errno;
            // Reported on the next turn: the answering side may be in the middle of a batch
            // that still holds this link.
            link.leaving = true;
            QTimer::singleShot(0, this, [this, index = link.index, error] {
                if (Link *l = this->link(index))
                    failed(*l, error);
            });
            return;
        }
        sent = std::max<qsizetype>(n, 0);
    }
    if (sent == bytes.size())
        return;
    link.out.append(bytes.constData() + sent, bytes.size() - sent);
    if (link.out.size() > MaxUnreadReplies) {
        // Closed on the next turn, for the same reason as a failed write.
        link.leaving = true;
        QTimer::singleShot(0, this, [this, index = link.index] { drop(index); });
        return;
    }
    watch(link);
}

void TerminalLinks::flush(Link &link)
{
    while (!link.out.isEmpty()) {
        const ssize_t n = ::send(link.fd, link.out.constData(), size_t(link.out.size()), MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                failed(link, errno);
            return;
        }
        link.out.remove(0, n);
    }
    link.out = QByteArray();
    watch(link);
    finishIfDone(link);
}

void TerminalLinks::watch(const Link &link)
{
    epoll_event ev{};
    ev.events = (link.peerDone ? 0 : EPOLLIN | EPOLLRDHUP) | (link.out.isEmpty() ? 0 : EPOLLOUT);
    ev.data.u64 = quint64(link.index);
    ::epoll_ctl(m_epoll, EPOLL_CTL_MOD, link.fd, &ev);
}

void TerminalLinks::finishIfDone(Link &link)
{
    if (link.peerDone && link.in.isEmpty() && !link.queued && link.out.isEmpty())
        close(link.index);
}

void TerminalLinks::failed(Link &link, int error)
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
    m_events.linkFailed(link.index, int(kind), description);
}

void TerminalLinks::drop(qint64 index)
{
    ++m_dropped;
    close(index);
}

void TerminalLinks::close(qint64 index)
{
    const auto it = m_links.find(index);
    if (it == m_links.end())
        return;
    m_events.linkClosing(*it->second);
    const std::unique_ptr<Link> gone = std::move(it->second);
    m_links.erase(it);
    const auto mine = m_byAddress.find(gone->address);
    if (mine != m_byAddress.end()) {
        mine->erase({gone->activity, gone->index});
        if (mine->empty())
            m_byAddress.erase(mine);
    }
    // Closing takes the descriptor out of the epoll set; replies already handed to the kernel
    // still go out before the connection ends.
    ::close(gone->fd);
    if (!m_trimTimer->isActive())
        m_trimTimer->start();
}

void TerminalLinks::releaseMemoryLater()
{
    // After a flood of connections has gone, hand the freed memory back to the system, so
    // floods that come and go do not leave the server ever larger.
    if (m_peakSinceTrim < m_links.size() + 1000)
        return;
    if (m_links.empty())
        m_byAddress.squeeze();
    m_peakSinceTrim = m_links.size();
    ::malloc_trim(0);
}

} // namespace zarvo
