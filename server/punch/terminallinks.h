#pragma once
// The punch server's connection layer: the listening socket, the terminals' descriptors in one
// epoll set, the caps on connections and unread bytes, and keep-alive. It knows nothing of
// punches: what arrives is handed to the answering side through LinkEvents.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <map>
#include <memory>
#include <set>

class QSocketNotifier;
class QTimer;

namespace zarvo {

/// One accepted terminal connection (a "slot"), numbered upwards from 1, never reused.
struct Link {
    qint64 index = 0;
    int fd = -1;
    QString address;
    QByteArray in;         ///< received, not yet answered
    QByteArray out;        ///< replies the kernel did not take yet
    quint64 activity = 0;  ///< when it last connected or sent (a counter, not a clock)
    bool queued = false;   ///< its input waits for the answering side's next batch
    bool peerDone = false; ///< the terminal sent all it will send (closed or half-closed)
    bool leaving = false;  ///< the connection is gone: nothing more is written
};

/// What the connection layer tells the side that answers. A Link passed in stays valid for
/// the call only; keep its index, not the reference.
class LinkEvents {
public:
    virtual ~LinkEvents() = default;
    virtual void linkOpened(Link &link) = 0;
    /// New bytes are in link.in.
    virtual void linkReceived(Link &link) = 0;
    /// The link is about to be closed to make room: what it sent must be answered now.
    virtual void linkSettle(Link &link) = 0;
    /// The platform reported an error (a reset counts as QAbstractSocket::RemoteHostClosedError);
    /// the answering side decides what the operator sees, then closes the link.
    virtual void linkFailed(qint64 index, int error, const QString &description) = 0;
    /// More than MaxMessage bytes at once: no terminal sends that; the link must be closed.
    virtual void linkOverlong(Link &link) = 0;
    /// The last word before the descriptor closes (the link is still listed).
    virtual void linkClosing(Link &link) = 0;
    /// A connection refused or evicted by the caps, for the operator's notices.
    virtual void linksTurnedAway(const QString &key, const QString &text) = 0;
    /// Accepting failed (out of descriptors); accepting resumes by itself.
    virtual void listenerFailed(int error, const QString &description) = 0;
};

/// The terminals' connections: plain non-blocking descriptors watched by one notifier, so the
/// cost of a turn of the event loop does not grow with the number of idle connections, and a
/// connection costs a few hundred bytes.
class TerminalLinks : public QObject {
public:
    /// Bytes one read of a terminal may bring; more at once is no ID and drops the connection.
    static constexpr int MaxMessage = 4096;
    /// Replies a terminal may leave unread before it is dropped (keeps memory flat).
    static constexpr qint64 MaxUnreadReplies = 64 * 1024;
    /// TCP keep-alive of every terminal connection: a terminal that vanished without a word
    /// (power cut, cable pulled) is found after KeepIdle + KeepCount * KeepInterval seconds;
    /// a live one answers the probes and stays connected however long it is idle.
    static constexpr int KeepIdleSeconds = 45;
    static constexpr int KeepIntervalSeconds = 10;
    static constexpr int KeepCount = 6;

    TerminalLinks(LinkEvents &events, QObject *parent);
    ~TerminalLinks() override;

    /// Listens on `port` (0 = any free one), all interfaces; false with errorString() on failure.
    bool listen(quint16 port);
    QString errorString() const { return m_error; }
    quint16 port() const;
    bool isListening() const;

    Link *link(qint64 index) const;
    qint64 lastIndex() const { return m_lastIndex; }
    int count() const { return int(m_links.size()); }
    /// Connected terminals, in slot order: slot number and address.
    QList<QPair<qint64, QString>> connected() const;
    /// Connections kept at most; below it every connection is kept, whatever its address. At
    /// it, the least recently active connection of the address holding the most makes room;
    /// when every address holds one, the newcomer is refused.
    int cap() const { return m_cap; }
    void setCap(int cap) { m_cap = cap; }
    /// Connections refused or dropped because of the caps, and over-long or unread ones.
    qint64 dropped() const { return m_dropped; }

    /// Writes what the kernel takes now and keeps the rest for when it can take more. Never
    /// closes the link at once: a failed write, or too much left unread, closes it on the next
    /// turn (the link is marked leaving meanwhile).
    void send(Link &link, const QByteArray &bytes);
    /// Closes a link the answering side gave up on, counting it as dropped.
    void drop(qint64 index);
    /// Closes the link (the descriptor goes; replies handed to the kernel still go out).
    void close(qint64 index);
    /// The terminal has sent all it will, had its reply and taken it: the link closes.
    void finishIfDone(Link &link);

private:
    class Listener;
    void addConnection(int fd);
    bool makeRoomFor(const QString &address);
    void readyDescriptors();
    void readFrom(Link &link);
    void flush(Link &link);
    void watch(const Link &link);
    void failed(Link &link, int error);
    void touch(Link &link);
    void releaseMemoryLater();

    LinkEvents &m_events;
    Listener *m_listener;
    QTimer *m_resumeTimer;
    QTimer *m_trimTimer;
    int m_epoll = -1;
    QSocketNotifier *m_epollNotifier = nullptr;
    QString m_error;
    quint16 m_port = 0;
    qint64 m_lastIndex = 0;
    int m_cap;
    qint64 m_dropped = 0;
    quint64 m_clock = 0;
    size_t m_peakSinceTrim = 0;
    std::map<qint64, std::unique_ptr<Link>> m_links; ///< live links only, in slot order
    /// Per peer address, its live links by activity (least recent first).
    QHash<QString, std::set<std::pair<quint64, qint64>>> m_byAddress;
};

} // namespace zarvo
