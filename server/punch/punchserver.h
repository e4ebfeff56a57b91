#pragma once
// The punch server: listens for terminals on the punch port and answers their punches.

#include "protocolext.h"
#include "punchbatch.h"
#include "terminallinks.h"
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
#include <unordered_map>

class OperatorNotices;
class QTimer;
class QWidget;

/// The punch answering: what terminals send is answered in batches, by the punch rule, over
/// the session handed in; the connections themselves are TerminalLinks' (the listener is
/// slot 0, and one slot per accepted terminal, numbered upwards, never reused).
///
/// Punches that arrive together are answered in one database transaction and each reply is
/// written only after its punch has been committed. Boxes never block the event loop: the
/// "Client Accepted" box is shown without waiting and "CRA" goes out when it is dismissed.
class PunchServer : public QObject, private zarvo::LinkEvents {
    Q_OBJECT
public:
    static constexpr int MaxMessage = zarvo::TerminalLinks::MaxMessage;
    /// "Client Accepted" boxes open at once; further terminals wait for a box of their own.
    static constexpr int MaxAcceptBoxes = 32;
    /// Replays answered in one commit at most when the batch timer runs: terminals coming back
    /// together with many kept punches must not hold up the live punches of the others for
    /// longer than a batch of this size takes.
    static constexpr int MaxReplaysPerBatch = 32;
    /// How long a new connection's "Client Accepted" box waits for the terminal to introduce
    /// itself (a terminal already accepted in this run gets "CRA" at once, without a box); a
    /// terminal that sends an ID first gets its box at once.
    static constexpr int HelloGraceMs = 500;

    /// Answers over `db` (open, or opened before the first punch); boxes are parented to `console`.
    PunchServer(QWidget *console, zarvo::DatabaseSession &db);
    ~PunchServer() override;
    /// Starts listening on the punch port (all interfaces); false with errorString() on failure.
    bool listen();
    QString errorString() const;

    /// The port actually listened on (the punch port unless overridden for tests).
    quint16 port() const;
    bool isListening() const;
    /// The highest slot number handed out so far (0 before the first terminal).
    qint64 lastSlot() const { return m_links->lastIndex(); }
    /// Connected terminals, in slot order: slot number and dotted-decimal address.
    QList<QPair<qint64, QString>> connectedTerminals() const;
    int connectionCount() const { return m_links->count(); }
    /// Connections kept at most; below it every connection is kept, whatever its address. At
    /// it, the least recently active connection of the address holding the most makes room;
    /// when every address holds one, the newcomer is refused.
    int connectionCap() const { return m_links->cap(); }
    void setConnectionCap(int cap) { m_links->setCap(cap); }
    /// Connections refused or dropped because of the caps, and over-long or unread ones.
    qint64 droppedConnections() const { return m_links->dropped(); }
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
    using Link = zarvo::Link;
    using After = std::function<void(const QString &failure, const QByteArray &reply)>;
    /// What the answering side keeps of a link: the protocol extension and the box.
    struct Peer {
        std::unique_ptr<zarvo::ProtocolExt::StreamReader> reader; ///< once a frame was seen
        bool boxDue = true; ///< its "Client Accepted" box (or its "CRA") is still to come
        bool hello = false; ///< it introduced itself
        QString terminalId;
        QString hostName;
    };

    // What the connection layer reports (punchserver.cpp).
    void linkOpened(Link &link) override;
    void linkReceived(Link &link) override;
    void linkSettle(Link &link) override;
    void linkFailed(qint64 index, int error, const QString &description) override;
    void linkOverlong(Link &link) override;
    void linkClosing(Link &link) override;
    void linksTurnedAway(const QString &key, const QString &text) override;
    void listenerFailed(int error, const QString &description) override;

    // The protocol extension and the accept box's grace (punchext.cpp).
    void startGrace(qint64 index);
    void graceExpired();
    /// The link's box is due now: shown, or queued behind the boxes already open.
    void offerAcceptBox(Link &link, Peer &peer);
    /// Turns what a link sent into jobs of the batch (seed text as today, replays) and answers
    /// the extension's other messages at once. False when the stream is bad: the link must
    /// close once the jobs before the fault are answered.
    bool collectJobs(Link &link, const QByteArray &bytes, QList<zarvo::PunchJob> &jobs, QList<After> &after,
                     QString *fault);
    void hello(Link &link, Peer &peer, const zarvo::ProtocolExt::HelloMsg &m);
    void closeForBadMessage(qint64 index, const QString &why);

    // Terminal health and the hours after a punch (punchhealth.cpp).
    void keepTerminalHealth();
    void forgetTerminalHealth();
    /// For a terminal that speaks the extension, the seed job just added to `jobs` is followed,
    /// once answered and stored, by the employee's hours in a frame of its own.
    void followWithHours(qint64 index, const QString &employeeId, QList<zarvo::PunchJob> &jobs,
                         QList<After> &after);
    /// After a batch's replies went out: the hours frames of its recorded punches.
    void sendHoursDue();

    // Punches and boxes (punchserver.cpp).
    void showAcceptBox(qint64 index, const QString &address);
    void acceptBoxDismissed(qint64 index);
    void queue(Link &link);
    /// Answers what the ready links sent, in one commit. `capped`: once MaxReplaysPerBatch
    /// replays are taken, the remaining links wait for the next turn (the batch timer's call);
    /// a link about to close is answered in full (the direct calls).
    void answerReady(bool capped = false);
    /// A terminal left (reset or failed): what it sent before is still recorded.
    void peerLeft(qint64 index);
    void errorBox(int error, const QString &description);
    void send(qint64 index, const QByteArray &bytes);
    Peer &peer(const Link &link) { return m_peers[link.index]; }

    QWidget *m_console;
    zarvo::DatabaseSession &m_db;
    OperatorNotices *m_notices;
    std::unique_ptr<zarvo::TerminalLinks> m_links;
    QTimer *m_batchTimer;
    qint64 m_badMessages = 0;
    int m_batchReplays = 0; ///< replays taken into the batch being collected
    QSet<QString> m_knownTerminals;
    QTimer *m_graceTimer;
    QElapsedTimer m_monotonic;
    std::deque<std::pair<qint64, qint64>> m_grace; ///< (due ms, slot) in the order they came
    std::unordered_map<qint64, Peer> m_peers; ///< per live link
    QList<qint64> m_ready;            ///< links with data waiting, in arrival order
    QList<qint64> m_waitingForBox;    ///< accepted links whose box is not shown yet
    int m_openAcceptBoxes = 0;
    QSet<QString> m_openErrorBoxes;   ///< texts of error boxes still open
    zarvo::TerminalRegistry m_terminals;
    QList<QPair<qint64, QString>> m_hoursDue; ///< (slot, employee) whose hours follow its reply
};
