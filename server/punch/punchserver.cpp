#include "punchserver.h"
#include "clock.h"
#include "dialogs.h"
#include "operatornotices.h"
#include "protocol.h"
#include "punchbatch.h"
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QAbstractSocket>
#include <cstdio>

using zarvo::BoxIcon;
using zarvo::DbError;
namespace Dialogs = zarvo::Dialogs;

namespace {
/// Tests may move the server off the punch port (0 = any free port).
quint16 listenPort()
{
    bool ok = false;
    const int port = qEnvironmentVariableIntValue("ZARVO_PUNCH_PORT", &ok);
    return ok && port >= 0 && port <= 65535 ? quint16(port) : zarvo::Protocol::Port;
}
} // namespace

PunchServer::PunchServer(QWidget *console, zarvo::DatabaseSession &db)
    : QObject(console), m_console(console), m_db(db), m_notices(new OperatorNotices(this)),
      m_links(std::make_unique<zarvo::TerminalLinks>(static_cast<zarvo::LinkEvents &>(*this), nullptr)), m_batchTimer(new QTimer(this)), m_graceTimer(new QTimer(this))
{
    // Everything that arrives before the event loop comes round again is answered together.
    m_batchTimer->setSingleShot(true);
    m_batchTimer->setInterval(0);
    connect(m_batchTimer, &QTimer::timeout, this, [this] { answerReady(true); });

    m_graceTimer->setSingleShot(true);
    connect(m_graceTimer, &QTimer::timeout, this, &PunchServer::graceExpired);
    m_monotonic.start();
    keepTerminalHealth();
}

PunchServer::~PunchServer()
{
    forgetTerminalHealth();
    // The links go first: closing them must not call back into a half-destroyed server.
    m_links.reset();
}

bool PunchServer::listen()
{
    if (!m_links->listen(listenPort()))
        return false;
    // Unattended test runs (every box answered at once) learn the port from standard error.
    if (qEnvironmentVariableIntValue("ZARVO_AUTO_DISMISS") == 1) {
        std::fprintf(stderr, "ZARVO-LISTENING %u\n", unsigned(m_links->port()));
        std::fflush(stderr);
    }
    return true;
}

QString PunchServer::errorString() const { return m_links->errorString(); }
quint16 PunchServer::port() const { return m_links->port(); }
bool PunchServer::isListening() const { return m_links->isListening(); }
QList<QPair<qint64, QString>> PunchServer::connectedTerminals() const { return m_links->connected(); }

int PunchServer::descriptorOf(qint64 index) const
{
    const Link *l = m_links->link(index);
    return l ? l->fd : -1;
}

void PunchServer::linkOpened(Link &link)
{
    m_peers.try_emplace(link.index);
    m_terminals.connected(link.index, link.address, zarvo::Clock::now());
    // The box waits a moment for the terminal to introduce itself (punchext.cpp).
    startGrace(link.index);
}

void PunchServer::linkReceived(Link &link) { queue(link); }

void PunchServer::linkSettle(Link &link)
{
    queue(link);
    answerReady();
}

void PunchServer::linkFailed(qint64 index, int error, const QString &description)
{
    slotError(index, error, description);
}

void PunchServer::linkOverlong(Link &link)
{
    // No employee ID is this long, and a terminal sends no more than a few frames at once:
    // whatever sends it is no terminal.
    if (peer(link).reader || link.in.contains(zarvo::ProtocolExt::Start))
        closeForBadMessage(link.index, QStringLiteral("more than %1 bytes at once").arg(MaxMessage));
    else
        m_links->drop(link.index);
}

void PunchServer::linkClosing(Link &link)
{
    const auto it = m_peers.find(link.index);
    // A terminal gone within the box's grace still gets its box, as every connection did.
    if (it != m_peers.end() && it->second.boxDue && m_openAcceptBoxes < MaxAcceptBoxes) {
        it->second.boxDue = false;
        link.leaving = true;
        showAcceptBox(link.index, link.address);
    }
    if (it != m_peers.end())
        m_peers.erase(it);
    m_terminals.disconnected(link.index, zarvo::Clock::now());
}

void PunchServer::linksTurnedAway(const QString &key, const QString &text)
{
    m_notices->connectionsTurnedAway(key, text);
}

void PunchServer::listenerFailed(int error, const QString &description) { errorBox(error, description); }

void PunchServer::send(qint64 index, const QByteArray &bytes)
{
    if (Link *l = m_links->link(index); l && !l->leaving)
        m_links->send(*l, bytes);
}

void PunchServer::showAcceptBox(qint64 index, const QString &address)
{
    ++m_openAcceptBoxes;
    QPointer<PunchServer> self(this);
    Dialogs::messageAsync(m_console, QStringLiteral("Connected with ") + address,
                          QStringLiteral("Client Accepted"), BoxIcon::Information,
                          [self, index](zarvo::BoxAnswer) {
                              if (self)
                                  self->acceptBoxDismissed(index);
                          });
}

void PunchServer::acceptBoxDismissed(qint64 index)
{
    --m_openAcceptBoxes;
    send(index, QByteArray::fromRawData(zarvo::Protocol::ConnectionAccepted, 3));
    // The next terminal still connected gets its box.
    while (!m_waitingForBox.isEmpty() && m_openAcceptBoxes < MaxAcceptBoxes) {
        const qint64 next = m_waitingForBox.takeFirst();
        if (const Link *l = m_links->link(next)) {
            showAcceptBox(next, l->address);
            break;
        }
    }
    if (m_waitingForBox.isEmpty())
        m_waitingForBox.squeeze();
}

void PunchServer::queue(Link &link)
{
    if (link.queued)
        return;
    link.queued = true;
    m_ready.append(link.index);
    if (!m_batchTimer->isActive())
        m_batchTimer->start();
}

void PunchServer::answerReady(bool capped)
{
    QList<qint64> owners;               // per job, its link
    QList<zarvo::PunchJob> jobs;
    QList<After> after;                 // per job, once answered
    QList<QPair<qint64, QString>> faulty; // links to close once their earlier jobs are answered
    QList<qint64> ready = std::exchange(m_ready, {});
    m_batchReplays = 0;
    for (qsizetype k = 0; k < ready.size(); ++k) {
        const qint64 index = ready[k];
        Link *l = m_links->link(index);
        if (!l)
            continue;
        if (capped && m_batchReplays >= MaxReplaysPerBatch) {
            // The rest, in their order, in the next batch.
            m_ready = ready.mid(k);
            ready.resize(k);
            m_batchTimer->start();
            break;
        }
        l->queued = false;
        if (l->in.isEmpty())
            continue;
        const qsizetype before = jobs.size();
        QString fault;
        if (!collectJobs(*l, std::exchange(l->in, {}), jobs, after, &fault))
            faulty.append({index, fault});
        owners.insert(owners.size(), jobs.size() - before, index);
    }
    if (!jobs.isEmpty()) {
        // The replies go out after the commit: no terminal hears of a punch not yet stored.
        QStringList failures;
        const QList<QByteArray> replies = zarvo::answerJobs(m_db, jobs, &failures);
        for (qsizetype i = 0; i < jobs.size(); ++i)
            after[i](failures[i], replies[i]);
        for (qsizetype i = 0; i < jobs.size(); ++i)
            if (!replies[i].isEmpty())
                send(owners[i], replies[i]);
        sendHoursDue();
    }
    for (const auto &[index, why] : faulty)
        closeForBadMessage(index, why);
    // A terminal that half-closed after sending has its reply; now the connection ends.
    for (qint64 index : ready)
        if (Link *l = m_links->link(index))
            m_links->finishIfDone(*l);
    if (!jobs.isEmpty())
        emit punchesAnswered(int(jobs.size()));
}

void PunchServer::slotError(qint64 index, int error, const QString &description)
{
    if (!m_links->link(index))
        return;
    peerLeft(index);
    // A terminal closing or being switched off is its normal way of leaving, not a fault
    // (a connection reset by the peer counts as the remote host closing it).
    if (error != QAbstractSocket::RemoteHostClosedError)
        errorBox(error, description);
}

void PunchServer::peerLeft(qint64 index)
{
    Link *l = m_links->link(index);
    if (!l)
        return;
    // A punch sent just before leaving is still recorded (its reply has nowhere to go).
    l->leaving = true;
    if (!l->in.isEmpty()) {
        queue(*l);
        answerReady();
    }
    m_links->close(index);
}

void PunchServer::errorBox(int error, const QString &description)
{
    const QString text = QStringLiteral("Socket Error ") + QString::number(error)
        + QStringLiteral(": ") + description;
    // One open box per distinct error is enough: a storm of equal errors must not bury the
    // operator under boxes.
    if (m_openErrorBoxes.contains(text))
        return;
    m_openErrorBoxes.insert(text);
    QPointer<PunchServer> self(this);
    Dialogs::messageAsync(m_console, text, QString(), BoxIcon::None, [self, text](zarvo::BoxAnswer) {
        if (self)
            self->m_openErrorBoxes.remove(text);
    });
}
