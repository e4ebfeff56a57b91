#pragma once
// The terminal's window: the running clock, the ID box and the last punch's result lines.

#include "database.h"
#include <QSet>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QTcpSocket;
class QTimer;
class TerminalLink;

/// Window "Remote" of the Client program: sends each typed ID to the punch server and shows
/// its answer.
///
/// In the seed's behaviour it connects once, when it opens, and a lost connection needs a
/// restart. Otherwise (the default) a TerminalLink keeps it connected, keeps punches typed
/// while the server is away and sends them when it is back; a status line says where it
/// stands, and the boxes of the network come once rather than at every blip.
class Remote : public QWidget {
    Q_OBJECT
public:
    enum class Behaviour { Extended, Seed };
    /// `db` is the terminal's own client.mdb session; it outlives the window.
    explicit Remote(zarvo::DatabaseSession &db, Behaviour behaviour = Behaviour::Extended,
                    QWidget *parent = nullptr);
    ~Remote() override;
    Behaviour behaviour() const { return m_behaviour; }
    /// The connection keeper (nullptr in the seed's behaviour or before open()).
    TerminalLink *link() const { return m_link; }

    /// The opening steps: reads the server's address and connects to it. Hides the window
    /// after "Could not open database ..." when the store is closed.
    void open();
    /// The stored address the window connects to (as stored: an address or a host name).
    QString serverAddress() const { return m_address; }
    /// The port connected to: the punch port, or ZARVO_PUNCH_PORT for tests.
    static quint16 serverPort();
    /// The socket to the server (the link's, when there is one).
    QTcpSocket *socket() const;

    /// Handles one received message exactly as the protocol says for a terminal.
    void handleMessage(const QByteArray &message);
    /// Enter in Text1: sends the ID, or reports that the server cannot be reached.
    void sendId();

signals:
    /// A received message has been handled (tests and the script hook).
    void messageHandled(const QByteArray &message);
    /// The program must end now (after a new server address was stored).
    void endProgram();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void tick();
    void dataArrived();
    void socketError(int error, const QString &description);
    void changeServer();
    void confirmExit();
    /// A box caused by the network, shown without waiting; one of each text at a time.
    void networkBox(const QString &text, const QString &title);

    // The extended behaviour (remoteext.cpp).
    void startLink();
    void sendIdExtended();
    void linkSeedMessage(const QByteArray &message);
    void linkFailed(int error, const QString &description);
    void queuedPunchAnswered(const QString &result, const QString &name, qint64 typedMs);
    void showStatus();
    void changeServerExtended(const QString &address);

    zarvo::DatabaseSession &m_db;
    zarvo::RecordSet m_server;
    QString m_address;
    QTcpSocket *m_socket;
    QTimer *m_timer;
    QLabel *m_clock;
    QLineEdit *m_id;
    QLabel *m_name;
    QLabel *m_action;
    QLabel *m_hours; ///< the employee's hours under the result lines, from the server's HOURS
    QPushButton *m_konek;
    QPushButton *m_exit;
    QSet<QString> m_openBoxes;
    Behaviour m_behaviour;
    TerminalLink *m_link = nullptr;
    QLabel *m_status;
    bool m_acceptedShown = false; ///< "Remote Connected" came once in this run
    bool m_errorShown = false;    ///< the socket error box came since the last good connection
};

