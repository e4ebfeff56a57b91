#pragma once
// The terminal's connection to the server when it speaks the protocol extension: it connects
// by itself and again after every loss (about 1 s, doubling to 30 s, with some randomness so
// many terminals do not come back in step), introduces itself (HELLO), keeps every punch on
// disk before it goes anywhere and sends the kept ones, oldest first, until each is
// acknowledged. No widgets: the window shows what it reports.
//
// A punch typed while connected and nothing is waiting goes out as the seed's bytes (the typed
// ID) and is kept until its reply comes; if the connection dies first, or no reply comes within
// a few seconds, it is sent again as a replay at its typed time, which the server acknowledges
// as a duplicate when it had stored it. So a punch is never lost silently and never doubled.

#include "clientstore.h"
#include "protocolext.h"
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QTcpSocket>

class QTimer;

class TerminalLink : public QObject {
    Q_OBJECT
public:
    enum class State { Idle, Connecting, Negotiating, Connected, Waiting };
    /// What the server turned out to be: unknown until it answered a HELLO.
    enum class Verdict { Unknown, Extension, SeedOnly };
    /// What became of a typed punch.
    enum class Punch {
        SentLive,     ///< sent as the typed ID; the reply comes as seed text
        Queued,       ///< kept and sent in turn; its acknowledgement reports it
        Saved,        ///< kept: the server cannot be reached now
        Unreachable,  ///< the server has no extension and is not connected: nothing kept
        NotSaved,     ///< the terminal's own store refused it (error())
    };

    static constexpr int FirstRetryMs = 1000;
    static constexpr int LastRetryMs = 30000;
    static constexpr int ConnectTimeoutMs = 5000;
    static constexpr int NegotiateTimeoutMs = 10000;
    /// A live punch without a reply this long is sent again as a replay.
    static constexpr int LiveReplyMs = 5000;
    /// Replays sent and not yet acknowledged at most.
    static constexpr int ReplayWindow = 8;
    static constexpr int StatusEveryMs = 60000;

    TerminalLink(zarvo::DatabaseSession &db, const QString &hostName, QObject *parent = nullptr);
    ~TerminalLink() override;

    /// Connects to `address` at once (closing any connection to another one).
    void connectTo(const QString &address, quint16 port);
    State state() const { return m_state; }
    Verdict verdict() const { return m_verdict; }
    QString address() const { return m_address; }
    /// Whole seconds until the next attempt while Waiting.
    int secondsToRetry() const;
    /// Punches kept on disk waiting to be sent (a live one awaiting its reply is not counted).
    int waiting() const { return std::max(0, m_waiting - int(m_live.size())); }
    QString terminalId() const { return m_identity.id; }
    qint64 clockOffsetMs() const { return m_identity.offsetMs; }
    QTcpSocket *socket() const { return m_socket; }
    QString error() const { return m_error; }

    /// Enter with `id`: keeps it and sends it, or reports why not. `typedMs` is the moment.
    Punch punch(const QString &id, qint64 typedMs);

signals:
    void stateChanged();
    void waitingChanged(int waiting);
    /// Seed text from the server ("CRA", "NRF", "RIN…", "OUT…"), to be handled as the seed does.
    void seedMessage(const QByteArray &bytes);
    /// The TCP connection is up (before any HELLO answer).
    void connected();
    /// An attempt failed or the connection broke (platform error number and text).
    void failed(int error, const QString &description);
    /// A punch typed in this run was acknowledged after it was queued (not a live one).
    void queuedPunchAnswered(const QString &result, const QString &name, qint64 typedMs);
    /// The server's HOURS after a reply.
    void hours(const QString &today, const QString &week);

private:
    void attempt();
    void scheduleRetry();
    void onConnected();
    void onData();
    void onClosed(int error, const QString &description);
    void handleSeed(const QByteArray &bytes);
    void handleFrame(const QStringList &fields);
    void welcomed(qint64 serverClockMs);
    void acknowledged(const zarvo::ProtocolExt::AckMsg &ack);
    void forgetAcknowledged();
    void pump();
    void liveTimeouts();
    void sendStatus();
    void recount();
    void setState(State s);

    zarvo::DatabaseSession &m_db;
    zarvo::KeptPunches m_kept;
    zarvo::TerminalIdentity m_identity;
    QString m_hostName;
    QString m_address;
    quint16 m_port = 0;
    QTcpSocket *m_socket;
    QTimer *m_retry;
    QTimer *m_deadline; ///< connect and negotiation time limits
    QTimer *m_liveTimer;
    QTimer *m_statusTimer;
    zarvo::ProtocolExt::StreamReader m_reader;
    State m_state = State::Idle;
    Verdict m_verdict = Verdict::Unknown;
    int m_retryMs = FirstRetryMs;
    QElapsedTimer m_retryClock;
    int m_retryDueMs = 0;
    qint64 m_helloSentMs = 0;
    int m_waiting = 0; ///< kept punches on disk
    int m_shown = 0;   ///< waiting() as last reported
    QString m_error;
    struct Live {
        qint64 id;
        qint64 sentAtMs;
    };
    QList<Live> m_live;          ///< live punches awaiting their seed reply, oldest first
    int m_lateReplies = 0;       ///< replies that may still come for live punches sent again
    QSet<qint64> m_sent;         ///< replays sent on this connection, not yet acknowledged
    QList<zarvo::ProtocolExt::AckMsg> m_acks; ///< acknowledged in the read being handled
    qint64 m_cursor = 0;         ///< the newest kept punch sent on this connection
    QSet<qint64> m_typedHere;    ///< punches typed in this run whose ACK the window shows
    QElapsedTimer m_monotonic;
};
