#pragma once
// The punch server: listens for terminals on the punch port and answers their punches.

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <map>
#include <set>

class OperatorNotices;
class QTcpServer;
class QTcpSocket;
class QTimer;
class QWidget;

/// The listener (slot 0) and one slot per accepted terminal, numbered upwards, never reused.
///
/// Punches that arrive together are answered in one database transaction and each reply is
/// written only after its punch has been committed. Boxes never block the event loop: the
/// "Client Accepted" box is shown without waiting and "CRA" goes out when it is dismissed.
class PunchServer : public QObject {
    Q_OBJECT
public:
    /// Bytes one read of a terminal may bring; more at once is no ID and drops the connection.
    static constexpr int MaxMessage = 4096;
    /// Replies a terminal may leave unread before it is dropped (keeps memory flat).
    static constexpr qint64 MaxUnreadReplies = 64 * 1024;
    /// "Client Accepted" boxes open at once; further terminals wait for a box of their own.
    static constexpr int MaxAcceptBoxes = 32;

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
    /// Connections kept at most; over it, the oldest terminal that never punched is dropped,
    /// or, when every one has punched, the newcomer is refused.
    int connectionCap() const { return m_cap; }
    void setConnectionCap(int cap) { m_cap = cap; }
    /// Connections refused or dropped because of the cap, and over-long or unread ones.
    qint64 droppedConnections() const { return m_dropped; }
    /// Where the operator is told of punches not stored and terminals turned away.
    OperatorNotices *notices() const { return m_notices; }

signals:
    /// A batch of punches has been answered (tests and benchmarks).
    void punchesAnswered(int count);

private:
    struct Slot {
        qint64 index = 0;
        QTcpSocket *socket = nullptr;
        QString address;
        bool queued = false;  ///< waiting in m_ready for the next batch
        bool leaving = false; ///< the peer is gone: nothing more is written
    };

    void acceptPending();
    void addSlot(QTcpSocket *socket);
    void showAcceptBox(qint64 index);
    void acceptBoxDismissed(qint64 index);
    void dataArrived(qint64 index);
    void answerReady();
    void slotError(qint64 index, int error, const QString &description);
    void listenerError(int error);
    /// A terminal left (closed, reset or failed): what it sent before is still answered.
    void peerLeft(qint64 index);
    void closeSlot(qint64 index);
    void errorBox(int error, const QString &description);
    Slot *slot(qint64 index) const;

    QWidget *m_console;
    OperatorNotices *m_notices;
    QTcpServer *m_listener;
    QTimer *m_batchTimer;
    QTimer *m_resumeTimer;
    QString m_error;
    quint16 m_port = 0;
    qint64 m_lastSlot = 0;
    int m_cap;
    qint64 m_dropped = 0;
    std::map<qint64, Slot *> m_slots;  ///< live slots only, in slot order
    std::set<qint64> m_neverPunched;   ///< live slots that have sent nothing yet
    QList<qint64> m_ready;             ///< slots with data waiting, in arrival order
    QList<qint64> m_waitingForBox;     ///< accepted slots whose box is not shown yet
    int m_openAcceptBoxes = 0;
    QSet<QString> m_openErrorBoxes;    ///< texts of error boxes still open
};
