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

/// Window "Remote" of the Client program: sends each typed ID to the punch server and shows
/// its answer. Connects once, when it opens; a lost connection needs a restart.
class Remote : public QWidget {
    Q_OBJECT
public:
    /// `db` is the terminal's own client.mdb session; it outlives the window.
    explicit Remote(zarvo::DatabaseSession &db, QWidget *parent = nullptr);
    ~Remote() override;

    /// The opening steps: reads the server's address and connects to it. Hides the window
    /// after "Could not open database ..." when the store is closed.
    void open();
    /// The stored address the window connects to (as stored: an address or a host name).
    QString serverAddress() const { return m_address; }
    /// The port connected to: the punch port, or ZARVO_PUNCH_PORT for tests.
    static quint16 serverPort();
    QTcpSocket *socket() const { return m_socket; }

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

    zarvo::DatabaseSession &m_db;
    zarvo::RecordSet m_server;
    QString m_address;
    QTcpSocket *m_socket;
    QTimer *m_timer;
    QLabel *m_clock;
    QLineEdit *m_id;
    QLabel *m_name;
    QLabel *m_action;
    QPushButton *m_konek;
    QPushButton *m_exit;
    QSet<QString> m_openBoxes;
};

