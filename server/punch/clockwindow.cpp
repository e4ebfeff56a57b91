#include "clockwindow.h"
#include "clock.h"
#include "artwork.h"
#include "dialogs.h"
#include "hourssofar.h"
#include "module1.h"
#include "punchrule.h"
#include "pointerzones.h"
#include "punchstation.h"
#include "systemtexts.h"
#include "uiutil.h"
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QLocale>
#include <QPushButton>
#include <QTimer>

using zarvo::BoxIcon;
using zarvo::DbError;
using zarvo::PunchOutcome;
using zarvo::twips;
using zarvo::twipsRect;
namespace Artwork = zarvo::Artwork;
namespace Dialogs = zarvo::Dialogs;

Clock::Clock(QWidget *parent) : ConsoleWindow(parent)
{
    setObjectName(QStringLiteral("Clock"));
    setWindowTitle(QStringLiteral("Zarvo Punch Clock System"));
    setWindowIcon(Artwork::icon(QStringLiteral("clock")));
    setFixedSize(twips(6675), twips(4215));

    const zarvo::PunchStation station = zarvo::buildPunchStation(this, 1320, 3120, 1320);
    m_dateTime = station.dateTime;
    m_id = station.id;
    m_name = station.name;
    m_action = station.action;
    m_hours = station.hours;
    m_id->installEventFilter(this);

    m_close = zarvo::buildCloseButton(this, QRect(4800, 2280, 1695, 1695), QRect(4920 - 4800, 2400 - 2280, 1455, 1455));
    m_closeFrame = static_cast<QGroupBox *>(m_close->parentWidget());
    zarvo::installPointerZones(this, {m_close}, {m_closeFrame});
    connect(m_close, &QPushButton::clicked, this, &Clock::closeWindow);

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    // Short ticks keep the seconds from ever lagging visibly; the label only repaints on change.
    m_timer->setInterval(50);
    connect(m_timer, &QTimer::timeout, this, &Clock::tick);
}

bool Clock::load()
{
    try {
        m_employees.open(Module1::instance().db, QStringLiteral("Select * from employee"));
    } catch (const DbError &) {
        // A store that cannot even run the select is reported like a closed connection.
    }
    if (!Module1::instance().db.isOpen() || !m_employees.isOpen()) {
        Dialogs::message(this, QStringLiteral("Could not open database ..."),
                         QStringLiteral("Connection Failed"), BoxIcon::Exclamation);
        return false;
    }
    tick();
    m_timer->start();
    return true;
}

void Clock::activated() { m_id->setFocus(); }

void Clock::tick()
{
    const QString text = zarvo::SystemTexts::generalDateTime(zarvo::Clock::now());
    if (m_dateTime->text() != text)
        m_dateTime->setText(text);
}

bool Clock::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_id || event->type() != QEvent::KeyPress)
        return ConsoleWindow::eventFilter(watched, event);

    auto *key = static_cast<QKeyEvent *>(event);
    // Only keys that type a character count as typed keys (not arrows, Shift and the like);
    // Tab moves the focus on and types nothing either.
    if (key->text().isEmpty() || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
        return false;
    if (m_employees.recordCount() == 0) {
        Dialogs::message(this,
                         QStringLiteral("No Current Records Found") + QStringLiteral("\r\r")
                             + QStringLiteral("Please Add an Employee to Continue..."),
                         QStringLiteral("Error! Searching Employee Record"), BoxIcon::Information);
        return false; // the key is still typed into the box
    }
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    punch();
    return true;
}

void Clock::punch()
{
    const QString id = m_id->text();
    // A store that fails, reading the employee or writing the punch, is told as such and the ID
    // stays in the box for another try: it is no unknown ID and no recorded punch.
    const auto notRecorded = [this](const DbError &e) {
        Dialogs::message(this, QStringLiteral("The punch was not recorded.") + QStringLiteral("\r\r") + e.message(),
                         QStringLiteral("Error! Recording Punch"), BoxIcon::Exclamation);
    };
    bool found = false;
    QString name;
    try {
        found = zarvo::findEmployeeExact(m_employees, id);
        if (found)
            name = zarvo::punchName(m_employees); // reading the row may reach the store too
    } catch (const DbError &e) {
        return notRecorded(e);
    }
    if (!found) {
        zarvo::showHoursLine(m_hours, {}); // nobody's figures stay beside a failed lookup
        Dialogs::message(this, QStringLiteral("No Record Found That Match Your ID"),
                         QStringLiteral("Record Not Found"), BoxIcon::Exclamation);
        m_id->clear();
        return;
    }
    m_name->setText(name);
    PunchOutcome outcome;
    try {
        outcome = zarvo::RecordPunch(Module1::instance().db, id);
        switch (outcome) {
        case PunchOutcome::SignedIn:
            m_action->setText(QStringLiteral("Signed In At ") + zarvo::SystemTexts::time(zarvo::Clock::now().time()));
            break;
        case PunchOutcome::SignedOut:
            m_action->setText(QStringLiteral("Signed Out At ") + zarvo::SystemTexts::time(zarvo::Clock::now().time()));
            break;
        case PunchOutcome::DayFull:
            break;
        }
    } catch (const DbError &e) {
        return notRecorded(e);
    }
    showHours(id, outcome);
    m_id->clear();
    m_id->setFocus();
}

void Clock::showHours(const QString &id, PunchOutcome outcome)
{
    QString line;
    if (outcome != PunchOutcome::DayFull) {
        try {
            const zarvo::HoursSoFar h = zarvo::hoursSoFar(Module1::instance().db, id, zarvo::Clock::now(),
                                                          zarvo::serverWeekStart());
            line = zarvo::hoursLine(zarvo::hoursFigure(h.today), zarvo::hoursFigure(h.week));
        } catch (const DbError &) {
            // The punch is stored; only its figures are missing, and no wrong ones are shown.
        }
    }
    zarvo::showHoursLine(m_hours, line);
}
