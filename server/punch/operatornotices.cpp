#include "operatornotices.h"
#include "database.h"
#include "dialogs.h"
#include <QPointer>

using zarvo::BoxIcon;
namespace Dialogs = zarvo::Dialogs;

OperatorNotices::OperatorNotices(QObject *parent) : QObject(parent) {}

void OperatorNotices::punchNotStored(const QString &employeeId, const QString &storeMessage,
                                     const QDateTime &when)
{
    ++m_notStored;
    emit notStoredCountChanged(m_notStored);
    notice(QStringLiteral("store|") + storeMessage,
           QStringLiteral("A punch was not stored: ") + storeMessage + QStringLiteral("\r\r")
               + QStringLiteral("Employee ID: ") + employeeId + QStringLiteral("\r")
               + QStringLiteral("Time: ") + zarvo::dayText(when.date()) + QLatin1Char(' ')
               + zarvo::timeText(when.time()) + QStringLiteral("\r\r")
               + QStringLiteral("The terminal was given no acknowledgement. Punches not stored are "
                                "counted in the status bar until you acknowledge them there."),
           QStringLiteral("Punch Not Stored"));
}

void OperatorNotices::punchHeld(const QString &employeeId, const QDateTime &when, const QString &reason,
                                const QString &terminal, const QString &address)
{
    ++m_held;
    const QString from = terminal.isEmpty() ? address : terminal + QStringLiteral(" (") + address + QLatin1Char(')');
    notice(QStringLiteral("held|") + reason,
           QStringLiteral("A punch sent late by a terminal was set aside (") + reason + QStringLiteral("):\r\r")
               + QStringLiteral("Employee ID: ") + employeeId + QStringLiteral("\r")
               + QStringLiteral("Time typed: ") + zarvo::dayText(when.date()) + QLatin1Char(' ')
               + zarvo::timeText(when.time()) + QStringLiteral("\r")
               + QStringLiteral("Terminal: ") + from + QStringLiteral("\r\r")
               + QStringLiteral("It was not written into the timesheet. \"ZarvoReport exceptions\" lists every "
                                "punch set aside; enter it by hand in the time record editor if it belongs there. "
                                "Set aside since the server started: %1.").arg(m_held),
           QStringLiteral("Punch Set Aside"));
}

void OperatorNotices::storeProblem(const QString &text)
{
    notice(QStringLiteral("file|") + text, text, QStringLiteral("Database Problem"));
}

void OperatorNotices::connectionsTurnedAway(const QString &key, const QString &text)
{
    notice(QStringLiteral("net|") + key, text, QStringLiteral("Connections Turned Away"));
}

void OperatorNotices::acknowledge()
{
    m_notStored = 0;
    emit notStoredCountChanged(0);
}

void OperatorNotices::notice(const QString &key, const QString &text, const QString &title)
{
    // A storm of equal failures must not bury the operator under boxes: one per problem.
    if (m_open.contains(key))
        return;
    m_open.insert(key);
    QPointer<OperatorNotices> self(this);
    // No owner window: a box owned by the console would keep the console from being used.
    Dialogs::messageAsync(nullptr, text, title, BoxIcon::Exclamation, [self, key](zarvo::BoxAnswer) {
        if (self)
            self->m_open.remove(key);
    });
}

NotStoredIndicator::NotStoredIndicator(OperatorNotices *notices, QWidget *parent) : QToolButton(parent)
{
    setObjectName(QStringLiteral("NotStoredCount"));
    setAutoRaise(true);
    setToolTip(QStringLiteral("Punches the database did not store. Click to acknowledge."));
    setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold; padding: 0px;"));
    // The status bar takes the height of every widget it holds, shown or hidden: no taller than
    // a line of its text, so the console's client area stays as it was.
    setMaximumHeight(fontMetrics().height() + 2);
    connect(notices, &OperatorNotices::notStoredCountChanged, this, &NotStoredIndicator::showCount);
    connect(this, &QToolButton::clicked, notices, &OperatorNotices::acknowledge);
    showCount(notices->notStoredCount());
}

void NotStoredIndicator::showCount(int count)
{
    setText(count == 1 ? QStringLiteral("1 punch not stored") : QStringLiteral("%1 punches not stored").arg(count));
    setVisible(count > 0);
}
