#pragma once
// The punch server: listens for terminals on the punch port and answers their punches.

#include "protocolext.h"
#include "punchbatch.h"
#include "terminalregistry.h"
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QElapsedTimer>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>

class OperatorNotices;
class QSocketNotifier;
class QTimer;
class QWidget;

/// The listener (slot 0) and one slot per accepted terminal, numbered upwards, never reused.
///
/// Punches that arrive together are answered in one database transaction and each reply is
/// written only after its punch has been committed. Boxes never block the event loop: the
/// "Client Accepted" box is shown without waiting and "CRA" goes out when it is dismissed.
///
/// The terminals' connections are plain non-blocking descriptors in one epoll set, watched by
/// one notifier: the cost of a turn of the event loop does not grow with the number of idle
/// connections, and a connection costs a few hundred bytes.
class PunchServer : public QObject {
    Q_OBJECT
public:
    /// Bytes one read of a terminal may bring; more at once is no ID and drops the connection.
    static constexpr int MaxMessage = 4096;
    /// Replies a terminal may leave unread before it is dropped (keeps memory flat).
    static constexpr qint64 MaxUnreadReplies = 64 * 1024;
    /// "Client Accepted" boxes open at once; further terminals wait for a box of their own.
    static constexpr int MaxAcceptBoxes = 32;
    /// TCP keep-alive of every terminal connection: a terminal that vanished without a word
    /// (power cut, cable pulled) is found after KeepIdle + KeepCount * KeepInterval seconds;
    /// a live one answers the probes and stays connected however long it is idle.
    static constexpr int KeepIdleSeconds = 45;
    static constexpr int KeepIntervalSeconds = 10;
    static constexpr int KeepCount = 6;
    /// Replays answered in one commit at most when the batch timer runs: terminals coming back
    /// together with many kept punches must not hold up the live punches of the others for
    /// longer than a batch of this size takes.
    static constexpr int MaxReplaysPerBatch = 32;
    /// How long a new connection's "Client Accepted" box waits for the terminal to introduce
    /// itself (a terminal already accepted in this run gets "CRA" at once, without a box); a
    /// terminal that sends an ID first gets its box at once.
    static constexpr int HelloGraceMs = 500;

    explicit PunchServer(QWidget *console);
    ~PunchServer() override;
    /// Starts listening on the punch port (all interfaces); false with errorString() on failure.
    bool listen();
    QString errorString() const;
    /// Rebuilds table Terminal from the connected terminals, then shows the Terminals window.
    void RebuildTerminalList();

    /// The port actually listened on (the punch port unless overridden for tests).
    quint16 port() const;
    bool isListening() const;
    /// The highest slot number handed out so far (0 before the first terminal).
    qint64 lastSlot() const { return m_lastSlot; }
    /// Connected terminals, in slot order: slot number and dotted-decimal address.
    QList<QPair<qint64, QString>> connectedTerminals() const;
    int connectionCount() const { return int(m_slots.size()); }
    /// Connections kept at most; below it every connection is kept, whatever its address. At
    /// it, the least recently active connection of the address holding the most makes room;
    /// when every address holds one, the newcomer is refused.
    int connectionCap() const { return m_cap; }
    void setConnectionCap(int cap) { m_cap = cap; }
    /// Connections refused or dropped because of the caps, and over-long or unread ones.
    qint64 droppedConnections() const { return m_dropped; }
    /// Connections closed for a malformed or oversized extension message (also counted in
    /// droppedConnections()).
    qint64 badMessageConnections() const { return m_badMessages; }
    /// Terminals that introduced themselves in this run, by their id.
    int knownTerminalCount() const { return int(m_knownTerminals.size()); }
    /// Where the operator is told of punches not stored and terminals turned away.
    OperatorNotices *notices() const { return m_notices; }
    /// Each terminal's health: connected since, punches, what it reports (Terminals window).
    zarvo::TerminalRegistry *terminalRegistry() { return &m_terminals; }
    /// The descriptor of a slot's connection (-1 when none), to inspect its options.
    int descriptorOf(qint64 slot) const;
    /// The platform reports an error on a slot: the "Socket Error" box, then the slot closes.
    /// Public so that a test can stand in for the platform.
    void slotError(qint64 index, int error, const QString &description);

signals:
    /// A batch of punches has been answered (tests and benchmarks).
    void punchesAnswered(int count);

private:
    class Listener;
    struct Slot {
        qint64 index = 0;
        int fd = -1;
        QString address;
        QByteArray in;         ///< received, not yet answered
        QByteArray out;        ///< replies the kernel did not take yet
        quint64 activity = 0;  ///< when it last connected or sent (a counter, not a clock)
        bool queued = false;   ///< waiting in m_ready for the next batch
        bool peerDone = false; ///< the terminal sent all it will send (closed or half-closed)
        bool leaving = false;  ///< the connection is gone: nothing more is written
        bool watchingOut = false;
        // The protocol extension (punchext.cpp).
        std::unique_ptr<zarvo::ProtocolExt::StreamReader> reader; ///< once a frame was seen
        bool boxDue = true; ///< its "Client Accepted" box (or its "CRA") is still to come
        bool hello = false; ///< it introduced itself
        QString terminalId;
        QString hostName;
    };

    // Connections (punchlinks.cpp).
    void addConnection(int fd);
    bool makeRoomFor(const QString &address);
    void evict(const QString &address, const QString &why, const QString &noticeKey);
    void readyDescriptors();
    void readFrom(Slot *s);
    void send(Slot *s, const QByteArray &bytes);
    void flush(Slot *s);
    void watch(Slot *s);
    void connectionFailed(Slot *s, int error);
    void touch(Slot *s);
    void finishIfDone(Slot *s);
    void releaseMemoryLater();

    // The protocol extension and the accept box's grace (punchext.cpp).
    void startGrace(Slot *s);
    void graceExpired();
    /// The slot's box is due now: shown, or queued behind the boxes already open.
    void offerAcceptBox(Slot *s);
    /// Turns what a slot sent into jobs of the batch (seed text as today, replays) and answers
    /// the extension's other messages at once. False when the stream is bad: the slot must
    /// close once the jobs before the fault are answered.
    bool collectJobs(Slot *s, const QByteArray &bytes, QList<zarvo::PunchJob> &jobs,
                     QList<std::function<void(const QString &failure, const QByteArray &reply)>> &after,
                     QString *fault);
    void hello(Slot *s, const zarvo::ProtocolExt::HelloMsg &m);
    void closeForBadMessage(qint64 index, const QString &why);

    // Terminal health and the hours after a punch (punchhealth.cpp).
    void keepTerminalHealth();
    void forgetTerminalHealth();
    /// For a terminal that speaks the extension, the seed job just added to `jobs` is followed,
    /// once answered and stored, by the employee's hours in a frame of its own.
    void followWithHours(Slot *s, const QString &employeeId, QList<zarvo::PunchJob> &jobs,
                         QList<std::function<void(const QString &failure, const QByteArray &reply)>> &after);
    /// After a batch's replies went out: the hours frames of its recorded punches.
    void sendHoursDue();

    // Punches and boxes (punchserver.cpp).
    void showAcceptBox(qint64 index);
    void acceptBoxDismissed(qint64 index);
    void queue(Slot *s);
    /// Answers what the ready slots sent, in one commit. `capped`: once MaxReplaysPerBatch
    /// replays are taken, the remaining slots wait for the next turn (the batch timer's call);
    /// a slot about to close is answered in full (the direct calls).
    void answerReady(bool capped = false);
    void listenerError(int error);
    /// A terminal left (reset or failed): what it sent before is still recorded.
    void peerLeft(qint64 index);
    void closeSlot(qint64 index);
    void errorBox(int error, const QString &description);
    Slot *slot(qint64 index) const;

    QWidget *m_console;
    OperatorNotices *m_notices;
    Listener *m_listener;
    QTimer *m_batchTimer;
    QTimer *m_resumeTimer;
    QTimer *m_trimTimer;
    int m_epoll = -1;
    QSocketNotifier *m_epollNotifier = nullptr;
    QString m_error;
    quint16 m_port = 0;
    qint64 m_lastSlot = 0;
    int m_cap;
    qint64 m_dropped = 0;
    qint64 m_badMessages = 0;
    int m_batchReplays = 0; ///< replays taken into the batch being collected
    QSet<QString> m_knownTerminals;
    QTimer *m_graceTimer;
    QElapsedTimer m_monotonic;
    std::deque<std::pair<qint64, qint64>> m_grace; ///< (due ms, slot) in the order they came
    quint64 m_clock = 0;
    size_t m_peakSinceTrim = 0;
    std::map<qint64, Slot *> m_slots; ///< live slots only, in slot order
    /// Per peer address, its live slots by activity (least recent first).
    QHash<QString, std::set<std::pair<quint64, qint64>>> m_byAddress;
    QList<qint64> m_ready;            ///< slots with data waiting, in arrival order
    QList<qint64> m_waitingForBox;    ///< accepted slots whose box is not shown yet
    int m_openAcceptBoxes = 0;
    QSet<QString> m_openErrorBoxes;   ///< texts of error boxes still open
    zarvo::TerminalRegistry m_terminals;
    QList<QPair<qint64, QString>> m_hoursDue; ///< (slot, employee) whose hours follow its reply
};
