#include "remote.h"
#include "artwork.h"
#include "clock.h"
#include "dialogs.h"
#include "keyboard.h"
#include "protocol.h"
#include "punchstation.h"
#include "systemtexts.h"
#include "terminallink.h"
#include "uiutil.h"
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QTcpSocket>
#include <QTimer>

using zarvo::BoxIcon;
using zarvo::twips;
using zarvo::twipsRect;
namespace Artwork = zarvo::Artwork;
namespace Dialogs = zarvo::Dialogs;

Remote::Remote(zarvo::DatabaseSession &db, Behaviour behaviour, QWidget *parent)
    : QWidget(parent), m_db(db), m_socket(new QTcpSocket(this)), m_timer(new QTimer(this)), m_behaviour(behaviour)
{
    setObjectName(QStringLiteral("Remote"));
    setWindowTitle(QStringLiteral("Zarvo Punch Clock"));
    setWindowIcon(Artwork::appIcon());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(twips(6705), twips(4140));
    zarvo::Keyboard::install(this);

    const zarvo::PunchStation station = zarvo::buildPunchStation(this, 1440, 3000, 1200);
    m_clock = station.dateTime;
    m_id = station.id;
    m_name = station.name;
    m_action = station.action;
    m_hours = station.hours;
    m_id->installEventFilter(this);

    m_konek = new QPushButton(this);
    m_konek->setObjectName(QStringLiteral("konek"));
    m_konek->setGeometry(twipsRect(3240, 2400, 1455, 1455));
    m_konek->setIcon(Artwork::icon(QStringLiteral("connect")));
    m_konek->setIconSize(m_konek->size() * 0.6);
    m_konek->setToolTip(QStringLiteral("Connect to Server"));
    m_konek->setCursor(Artwork::pointer());
    connect(m_konek, &QPushButton::clicked, this, &Remote::changeServer);

    m_exit = zarvo::buildCloseButton(this, QRect(4800, 2400, 1455, 1455), QRect(0, 0, 1455, 1455));
    m_exit->setCursor(Artwork::pointer());
    connect(m_exit, &QPushButton::clicked, this, &Remote::confirmExit);

    // Where the terminal stands, in the free space under the ID box (hidden in the seed's
    // behaviour, which has no such line).
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("StatusLine"));
    m_status->setGeometry(twipsRect(3000, 1770, 3585, 600));
    m_status->setWordWrap(true);
    m_status->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_status->setVisible(behaviour == Behaviour::Extended);

    // Text1 first in tab order.
    setTabOrder(m_id, m_konek);
    setTabOrder(m_konek, m_exit);

    m_timer->setObjectName(QStringLiteral("Timer1"));
    // Frequent enough that the seconds never lag visibly; the label repaints only on change.
    m_timer->setInterval(50);
    connect(m_timer, &QTimer::timeout, this, &Remote::tick);

    connect(m_socket, &QTcpSocket::readyRead, this, &Remote::dataArrived);
    connect(m_socket, &QTcpSocket::disconnected, this, [this] { m_socket->abort(); });
    connect(m_socket, &QTcpSocket::errorOccurred, this,
            [this](QAbstractSocket::SocketError e) { socketError(int(e), m_socket->errorString()); });
}

Remote::~Remote() { m_socket->disconnect(this); }

QTcpSocket *Remote::socket() const { return m_link ? m_link->socket() : m_socket; }

quint16 Remote::serverPort()
{
    bool ok = false;
    const int port = qEnvironmentVariableIntValue("ZARVO_PUNCH_PORT", &ok);
    return ok && port > 0 && port <= 65535 ? quint16(port) : zarvo::Protocol::Port;
}

void Remote::open()
{
    try {
        m_server.open(m_db, QStringLiteral("Select * from server"));
    } catch (const zarvo::DbError &) {
        // A closed store is reported below; an unreadable table leaves no address.
    }
    if (!m_db.isOpen()) {
        Dialogs::message(this, QStringLiteral("Could not open database ..."),
                         QStringLiteral("Connection Failed"), BoxIcon::Exclamation);
        hide();
        return;
    }
    try {
        if (m_server.isOpen() && m_server.recordCount() > 0) {
            m_server.moveFirst();
            m_address = m_server.text(QStringLiteral("ip"));
        }
    } catch (const zarvo::DbError &) {
        m_address.clear();
    }
    tick();
    m_timer->start();
    m_id->setFocus();
    if (m_behaviour == Behaviour::Extended) {
        startLink();
        return;
    }
    // An empty table or address is no address: the connection fails with a socket error box,
    // and konek can store one.
    if (m_socket->state() != QAbstractSocket::UnconnectedState)
        m_socket->abort();
    else
        m_socket->connectToHost(m_address, serverPort());
}

void Remote::tick()
{
    const QString text = zarvo::SystemTexts::generalDateTime(zarvo::Clock::now());
    if (m_clock->text() != text)
        m_clock->setText(text);
    if (m_link)
        showStatus(); // the seconds to the next attempt count down
}

bool Remote::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_id && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            sendId();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Remote::sendId()
{
    if (m_link) {
        sendIdExtended();
        return;
    }
    if (m_socket->state() != QAbstractSocket::ConnectedState) {
        Dialogs::message(this, QStringLiteral("Unable to Reach Server! Please Make Sure They're Connected."),
                         QStringLiteral("Error In Connection"), BoxIcon::Exclamation);
        return;
    }
    m_socket->write(zarvo::Protocol::encode(m_id->text()));
    m_id->clear();
}

void Remote::dataArrived()
{
    // Whatever one read delivers is one message: glued replies stay glued, split ones come
    // in pieces, as the protocol has it.
    const QByteArray message = m_socket->readAll();
    if (!message.isEmpty())
        handleMessage(message);
}

void Remote::handleMessage(const QByteArray &message)
{
    const QString text = zarvo::Protocol::decode(message);
    if (text == QLatin1String(zarvo::Protocol::ConnectionAccepted)) {
        networkBox(QStringLiteral("Connection Request Accepted"), QStringLiteral("Remote Connected"));
    } else if (text == QLatin1String(zarvo::Protocol::NotFound)) {
        zarvo::showHoursLine(m_hours, {}); // no one's figures beside an unknown ID
        networkBox(QStringLiteral("No Record of That ID Found"), QStringLiteral("ID Not Found"));
    } else {
        const QString code = text.left(3);
        const QString now = zarvo::SystemTexts::time(zarvo::Clock::now().time());
        if (code == QLatin1String(zarvo::Protocol::SignedIn)) {
            m_name->setText(text.mid(3));
            m_action->setText(QStringLiteral("Signed In at ") + now);
        } else if (code == QLatin1String(zarvo::Protocol::SignedOut)) {
            m_name->setText(text.mid(3));
            m_action->setText(QStringLiteral("Signed Out at ") + now);
        }
        // The previous employee's figures go; this one's come in the server's next frame.
        if (code == QLatin1String(zarvo::Protocol::SignedIn) || code == QLatin1String(zarvo::Protocol::SignedOut))
            zarvo::showHoursLine(m_hours, {});
    }
    emit messageHandled(message);
}

void Remote::socketError(int error, const QString &description)
{
    // The server going away is a quiet close; the next Enter reports it.
    if (error != QAbstractSocket::RemoteHostClosedError)
        networkBox(QStringLiteral("Socket Error ") + QString::number(error) + QStringLiteral(": ") + description,
                   QStringLiteral("Connection Error"));
    m_socket->abort();
}

void Remote::networkBox(const QString &text, const QString &title)
{
    // Boxes the network brings never wait inside a socket handler, and a server repeating
    // itself cannot stack up boxes without end: one box of each text at a time.
    if (m_openBoxes.contains(text))
        return;
    m_openBoxes.insert(text);
    QPointer<Remote> self(this);
    Dialogs::messageAsync(this, text, title, BoxIcon::Information, [self, text](zarvo::BoxAnswer) {
        if (self)
            self->m_openBoxes.remove(text);
    });
}

void Remote::changeServer()
{
    const std::optional<QString> answer = Dialogs::input(
        this, QStringLiteral("Please Enter the Server's IP Address"), QStringLiteral("Connect to Remote Server"));
    if (!answer || answer->isEmpty())
        return;
    try {
        if (!m_server.isOpen())
            m_server.open(m_db, QStringLiteral("Select * from server"));
        // A table without its row gets one, so the address is not lost.
        if (m_server.recordCount() > 0)
            m_server.moveFirst();
        else
            m_server.addNew();
        m_server.setValue(QStringLiteral("ip"), *answer);
        m_server.update();
    } catch (const zarvo::DbError &e) {
        Dialogs::message(this, e.message(), QStringLiteral("Connect to Remote Server"), BoxIcon::Exclamation);
        return;
    }
    if (m_link) {
        // Kept, and used at once: no restart.
        changeServerExtended(*answer);
        return;
    }
    Dialogs::message(this, QStringLiteral("The System Needs to be Restarted"), QStringLiteral("Closing Client"),
                     BoxIcon::Information);
    emit endProgram();
}

void Remote::confirmExit()
{
    if (Dialogs::message(this, QStringLiteral("Are You Sure to Exit Zarvo Punch"),
                         QStringLiteral("You're About to Close Zarvo Punch Clock"), BoxIcon::Question,
                         zarvo::BoxButtons::YesNo)
        == zarvo::BoxAnswer::Yes)
        close();
}
