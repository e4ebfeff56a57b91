#include "punchserver.h"
#include "clock.h"
#include "dialogs.h"
#include "filelimit.h"
#include "module1.h"
#include "operatornotices.h"
#include "protocol.h"
#include "punchbatch.h"
#include "punchlistener.h"
#include "terminals.h"
#include <QHostAddress>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <sys/epoll.h>
#include <unistd.h>

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

PunchServer::PunchServer(QWidget *console)
    : QObject(console), m_console(console), m_notices(new OperatorNotices(this)),
      m_listener(new Listener(this)), m_batchTimer(new QTimer(this)), m_resumeTimer(new QTimer(this)),
      m_trimTimer(new QTimer(this)), m_cap(zarvo::defaultConnectionCap()), m_graceTimer(new QTimer(this))
{
    // A burst of terminals must not overflow the kernel's queue of half-accepted connections.
    m_listener->setListenBacklogSize(4096);
    connect(m_listener, &QTcpServer::acceptError, this,
            [this](QAbstractSocket::SocketError e) { listenerError(int(e)); });

    m_epoll = epoll_create1(EPOLL_CLOEXEC);
    m_epollNotifier = new QSocketNotifier(m_epoll, QSocketNotifier::Read, this);
    connect(m_epollNotifier, &QSocketNotifier::activated, this, &PunchServer::readyDescriptors);

    // Everything that arrives before the event loop comes round again is answered together.
    m_batchTimer->setSingleShot(true);
    m_batchTimer->setInterval(0);
    connect(m_batchTimer, &QTimer::timeout, this, [this] { answerReady(true); });

    // After an accept failure (out of descriptors) Qt stops accepting until told to resume.
    m_resumeTimer->setSingleShot(true);
    m_resumeTimer->setInterval(100);
    connect(m_resumeTimer, &QTimer::timeout, this, [this] {
        if (m_listener->isListening())
            m_listener->resumeAccepting();
        else if (!m_listener->listen(QHostAddress::Any, m_port))
            m_resumeTimer->start();
    });

    m_graceTimer->setSingleShot(true);
    connect(m_graceTimer, &QTimer::timeout, this, &PunchServer::graceExpired);
    m_monotonic.start();

    m_trimTimer->setSingleShot(true);
    m_trimTimer->setInterval(500);
    connect(m_trimTimer, &QTimer::timeout, this, &PunchServer::releaseMemoryLater);
    keepTerminalHealth();
}

PunchServer::~PunchServer()
{
    forgetTerminalHealth();
    for (auto &[index, s] : m_slots) {
        ::close(s->fd);
        delete s;
    }
    delete m_epollNotifier;
    ::close(m_epoll);
}

bool PunchServer::listen()
{
    m_port = listenPort();
    if (!m_listener->listen(QHostAddress::Any, m_port)) {
        m_error = m_listener->errorString();
        // The punch port lies inside the range Linux hands out to outgoing connections, so a
        // connection of any program may hold it by chance.
        if (m_listener->serverError() == QAbstractSocket::AddressInUseError)
            m_error += QStringLiteral("\r\rPort ") + QString::number(m_port)
                + QStringLiteral(" is held by another program: a second punch server, or an outgoing "
                                 "connection that happened to be given this port. Reserve the port for the "
                                 "punch server (as root: sysctl -w net.ipv4.ip_local_reserved_ports=")
                + QString::number(m_port)
                + QStringLiteral(", and the same line in /etc/sysctl.d/ to keep it), then start the server again.");
        return false;
    }
    m_port = m_listener->serverPort();
    // Unattended test runs (every box answered at once) learn the port from standard error.
    if (qEnvironmentVariableIntValue("ZARVO_AUTO_DISMISS") == 1) {
        std::fprintf(stderr, "ZARVO-LISTENING %u\n", unsigned(m_port));
        std::fflush(stderr);
    }
    return true;
}

QString PunchServer::errorString() const { return m_error; }
quint16 PunchServer::port() const { return m_listener->isListening() ? m_listener->serverPort() : m_port; }
bool PunchServer::isListening() const { return m_listener->isListening(); }

QList<QPair<qint64, QString>> PunchServer::connectedTerminals() const
{
    QList<QPair<qint64, QString>> out;
    for (const auto &[index, s] : m_slots)
        if (!s->peerDone && !s->leaving)
            out.append({index, s->address});
    return out;
}

PunchServer::Slot *PunchServer::slot(qint64 index) const
{
    const auto it = m_slots.find(index);
    return it == m_slots.end() ? nullptr : it->second;
}

int PunchServer::descriptorOf(qint64 index) const
{
    const Slot *s = slot(index);
    return s ? s->fd : -1;
}

void PunchServer::showAcceptBox(qint64 index)
{
    Slot *s = slot(index);
    if (!s)
        return;
    ++m_openAcceptBoxes;
    QPointer<PunchServer> self(this);
    Dialogs::messageAsync(m_console, QStringLiteral("Connected with ") + s->address,
                          QStringLiteral("Client Accepted"), BoxIcon::Information,
                          [self, index](zarvo::BoxAnswer) {
                              if (self)
                                  self->acceptBoxDismissed(index);
                          });
}

void PunchServer::acceptBoxDismissed(qint64 index)
{
    --m_openAcceptBoxes;
    if (Slot *s = slot(index); s && !s->leaving)
        send(s, QByteArray::fromRawData(zarvo::Protocol::ConnectionAccepted, 3));
    // The next terminal still connected gets its box.
    while (!m_waitingForBox.isEmpty() && m_openAcceptBoxes < MaxAcceptBoxes) {
        const qint64 next = m_waitingForBox.takeFirst();
        if (slot(next)) {
            showAcceptBox(next);
            break;
        }
    }
    if (m_waitingForBox.isEmpty())
        m_waitingForBox.squeeze();
}

void PunchServer::queue(Slot *s)
{
    if (s->queued)
        return;
    s->queued = true;
    m_ready.append(s->index);
    if (!m_batchTimer->isActive())
        m_batchTimer->start();
}

void PunchServer::answerReady(bool capped)
{
    QList<qint64> owners;               // per job, its slot
    QList<zarvo::PunchJob> jobs;
    QList<std::function<void(const QString &, const QByteArray &)>> after; // per job, once answered
    QList<QPair<qint64, QString>> faulty; // slots to close once their earlier jobs are answered
    QList<qint64> ready = std::exchange(m_ready, {});
    m_batchReplays = 0;
    for (qsizetype k = 0; k < ready.size(); ++k) {
        const qint64 index = ready[k];
        Slot *s = slot(index);
        if (!s)
            continue;
        if (capped && m_batchReplays >= MaxReplaysPerBatch) {
            // The rest, in their order, in the next batch.
            m_ready = ready.mid(k);
            ready.resize(k);
            m_batchTimer->start();
            break;
        }
        s->queued = false;
        if (s->in.isEmpty())
            continue;
        const qsizetype before = jobs.size();
        QString fault;
        if (!collectJobs(s, std::exchange(s->in, {}), jobs, after, &fault))
            faulty.append({index, fault});
        owners.insert(owners.size(), jobs.size() - before, index);
    }
    if (!jobs.isEmpty()) {
        // The replies go out after the commit: no terminal hears of a punch not yet stored.
        QStringList failures;
        const QList<QByteArray> replies = zarvo::answerJobs(Module1::instance().db, jobs, &failures);
        for (qsizetype i = 0; i < jobs.size(); ++i)
            after[i](failures[i], replies[i]);
        for (qsizetype i = 0; i < jobs.size(); ++i) {
            Slot *s = slot(owners[i]);
            if (s && !s->leaving && !replies[i].isEmpty())
                send(s, replies[i]);
        }
        sendHoursDue();
    }
    for (const auto &[index, why] : faulty)
        closeForBadMessage(index, why);
    // A terminal that half-closed after sending has its reply; now the connection ends.
    for (qint64 index : ready)
        if (Slot *s = slot(index))
            finishIfDone(s);
    if (!jobs.isEmpty())
        emit punchesAnswered(int(jobs.size()));
}

void PunchServer::slotError(qint64 index, int error, const QString &description)
{
    if (!slot(index))
        return;
    peerLeft(index);
    // A terminal closing or being switched off is its normal way of leaving, not a fault
    // (a connection reset by the peer counts as the remote host closing it).
    if (error != QAbstractSocket::RemoteHostClosedError)
        errorBox(error, description);
}

void PunchServer::peerLeft(qint64 index)
{
    Slot *s = slot(index);
    if (!s)
        return;
    // A punch sent just before leaving is still recorded (its reply has nowhere to go).
    s->leaving = true;
    if (!s->in.isEmpty()) {
        queue(s);
        answerReady();
    }
    closeSlot(index);
}

void PunchServer::listenerError(int error)
{
    errorBox(error, m_listener->errorString());
    // Qt has paused accepting; take it up again once descriptors may be free.
    if (!m_resumeTimer->isActive())
        m_resumeTimer->start();
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
