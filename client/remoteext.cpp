// The terminal window in its extended behaviour: reconnecting by itself, punches kept while
// the server is away, a status line instead of repeated boxes.
#include "clock.h"
#include "dialogs.h"
#include "protocol.h"
#include "protocolext.h"
#include "punchstation.h"
#include "remote.h"
#include "systemtexts.h"
#include "terminallink.h"
#include <QLabel>
#include <QLineEdit>
#include <QSysInfo>

using zarvo::BoxIcon;
namespace Dialogs = zarvo::Dialogs;

namespace {
QString waitingText(int n)
{
    return n == 1 ? QStringLiteral("1 punch waiting to be sent") : QStringLiteral("%1 punches waiting to be sent").arg(n);
}

/// The desktop's type, made just small enough that the longest status fits the line's box.
void fitStatusLine(QLabel *line)
{
    const QString longest = QStringLiteral("Server not reachable \u2014 trying again in 30 s\n") + waitingText(8888);
    QFont font = line->font();
    if (font.pointSizeF() <= 0)
        return;
    const QRect box = line->contentsRect();
    const auto fits = [&] {
        const QRect need = QFontMetrics(font).boundingRect(QRect(0, 0, box.width(), 10000),
                                                           Qt::TextWordWrap | Qt::AlignLeft, longest);
        return need.height() <= box.height() && need.width() <= box.width();
    };
    while (!fits() && font.pointSizeF() > 6)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    line->setFont(font);
}
} // namespace

void Remote::startLink()
{
    try {
        m_link = new TerminalLink(m_db, QSysInfo::machineHostName(), this);
    } catch (const zarvo::DbError &e) {
        // client.mdb without the terminal's tables: it still works, the seed's way.
        Dialogs::message(this,
                         QStringLiteral("Punches cannot be kept on this terminal while the server is away (")
                             + e.message() + QStringLiteral("). It works as a plain terminal until this is mended."),
                         QStringLiteral("Connect to Remote Server"), BoxIcon::Exclamation);
        m_behaviour = Behaviour::Seed;
        m_status->hide();
        m_socket->connectToHost(m_address, serverPort());
        return;
    }
    fitStatusLine(m_status);
    connect(m_link, &TerminalLink::stateChanged, this, [this] {
        // Working again: the next failure may be told once more.
        if (m_link->state() == TerminalLink::State::Connected)
            m_errorShown = false;
        showStatus();
    });
    connect(m_link, &TerminalLink::waitingChanged, this, &Remote::showStatus);
    connect(m_link, &TerminalLink::seedMessage, this, &Remote::linkSeedMessage);
    connect(m_link, &TerminalLink::failed, this, &Remote::linkFailed);
    connect(m_link, &TerminalLink::queuedPunchAnswered, this, &Remote::queuedPunchAnswered);
    connect(m_link, &TerminalLink::hours, this, [this](const QString &today, const QString &week) {
        zarvo::showHoursLine(m_hours, zarvo::hoursLine(today, week));
    });
    m_link->connectTo(m_address, serverPort());
}

void Remote::showStatus()
{
    QString text;
    switch (m_link->state()) {
    case TerminalLink::State::Idle:
    case TerminalLink::State::Connecting:
    case TerminalLink::State::Negotiating:
        text = QStringLiteral("Connecting to ") + m_address + QStringLiteral(" \u2026");
        break;
    case TerminalLink::State::Connected:
        text = QStringLiteral("Connected to ") + m_address;
        break;
    case TerminalLink::State::Waiting:
        text = QStringLiteral("Server not reachable \u2014 trying again in %1 s").arg(m_link->secondsToRetry());
        break;
    }
    if (m_link->waiting() > 0)
        text += QLatin1Char('\n') + waitingText(m_link->waiting());
    if (m_status->text() != text)
        m_status->setText(text);
}

void Remote::sendIdExtended()
{
    const QString id = m_id->text();
    if (id.isEmpty())
        return; // nothing to send or keep
    const QDateTime typed = zarvo::Clock::now();
    switch (m_link->punch(id, zarvo::ProtocolExt::toMs(typed))) {
    case TerminalLink::Punch::SentLive:
    case TerminalLink::Punch::Queued:
        m_id->clear();
        break;
    case TerminalLink::Punch::Saved:
        // On disk already: the employee may go.
        m_id->clear();
        m_name->setText(id);
        m_action->setText(QStringLiteral("Saved at ") + zarvo::SystemTexts::time(typed.time()));
        break;
    case TerminalLink::Punch::Unreachable:
        Dialogs::message(this, QStringLiteral("Unable to Reach Server! Please Make Sure They're Connected."),
                         QStringLiteral("Error In Connection"), BoxIcon::Exclamation);
        break;
    case TerminalLink::Punch::NotSaved:
        Dialogs::message(this, QStringLiteral("The punch could not be saved on this terminal: ") + m_link->error(),
                         QStringLiteral("Error In Connection"), BoxIcon::Exclamation);
        break;
    }
    showStatus();
}

void Remote::linkSeedMessage(const QByteArray &message)
{
    // "Remote Connected" once per run: a kiosk must not need a click after every blip.
    if (message == zarvo::Protocol::ConnectionAccepted) {
        if (m_acceptedShown) {
            emit messageHandled(message);
            return;
        }
        m_acceptedShown = true;
    }
    handleMessage(message);
}

void Remote::linkFailed(int error, const QString &description)
{
    // The server closing is quiet as in the seed; the first failure after that (or after a
    // good connection) is told once, the retries are not.
    if (error == QAbstractSocket::RemoteHostClosedError || m_errorShown)
        return;
    m_errorShown = true;
    networkBox(QStringLiteral("Socket Error ") + QString::number(error) + QStringLiteral(": ") + description,
               QStringLiteral("Connection Error"));
}

void Remote::queuedPunchAnswered(const QString &result, const QString &name, qint64 typedMs)
{
    namespace R = zarvo::ProtocolExt::Result;
    const QString at = zarvo::SystemTexts::time(zarvo::ProtocolExt::fromMs(typedMs).time());
    zarvo::showHoursLine(m_hours, {}); // a replay's answer carries no hours
    if (result == QLatin1String(R::NotFound)) {
        networkBox(QStringLiteral("No Record of That ID Found"), QStringLiteral("ID Not Found"));
    } else {
        m_name->setText(name);
        m_action->setText(result == QLatin1String(R::SignedIn)    ? QStringLiteral("Signed In at ") + at
                          : result == QLatin1String(R::SignedOut) ? QStringLiteral("Signed Out at ") + at
                                                                  : QStringLiteral("Received at ") + at);
    }
    emit messageHandled(result.toLatin1() + zarvo::Protocol::encode(name));
}

void Remote::changeServerExtended(const QString &address)
{
    m_address = address;
    m_link->connectTo(address, serverPort());
    showStatus();
}
