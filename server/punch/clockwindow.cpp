#include "clockwindow.h"
#include "../../common/clock.h"
#include "artwork.h"
#include "dialogs.h"
#include "module1.h"
#include "punchrule.h"
#include "uiutil.h"
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

using zarvo::BoxIcon;
using zarvo::DbError;
using zarvo::PunchOutcome;
using zarvo::twips;
using zarvo::twipsRect;
namespace Artwork = zarvo::Artwork;
namespace Dialogs = zarvo::Dialogs;

namespace ClockTexts {
namespace {
/// Windows-style texts: no time zone, a plain blank before AM/PM.
QString tidy(QString format)
{
    // Drop unquoted time-zone fields ("t", "tttt") together with the blank before them.
    static const QRegularExpression zone(QStringLiteral("\\s*(?<![A-Za-z'])t+(?![A-Za-z'])"));
    format.remove(zone);
    return format.trimmed();
}

QString plainBlanks(QString text)
{
    text.replace(QChar(0x202F), QLatin1Char(' '));
    text.replace(QChar(0x00A0), QLatin1Char(' '));
    return text;
}

QString dateFormat()
{
    QString f = QLocale::system().dateFormat(QLocale::ShortFormat);
    // A clock shows the whole year: "yy" alone becomes "yyyy".
    static const QRegularExpression twoDigitYear(QStringLiteral("(?<!y)yy(?!y)"));
    f.replace(twoDigitYear, QStringLiteral("yyyy"));
    return f;
}
} // namespace

QString time(const QTime &when)
{
    const QLocale locale = QLocale::system();
    return plainBlanks(locale.toString(when, tidy(locale.timeFormat(QLocale::LongFormat))));
}

QString generalDateTime(const QDateTime &when)
{
    return plainBlanks(QLocale::system().toString(when.date(), dateFormat())) + QLatin1Char(' ')
        + time(when.time());
}
} // namespace ClockTexts

Clock::Clock(QWidget *parent) : ConsoleWindow(parent)
{
    setObjectName(QStringLiteral("Clock"));
    setWindowTitle(QStringLiteral("Zarvo Punch Clock System"));
    setWindowIcon(Artwork::icon(QStringLiteral("clock")));
    setFixedSize(twips(6675), twips(4215));

    m_dateTime = new QLabel(this);
    m_dateTime->setObjectName(QStringLiteral("Label1"));
    m_dateTime->setGeometry(twipsRect(1320, 240, 4815, 495));
    QFont times(QStringLiteral("Times New Roman"));
    times.setStyleHint(QFont::Serif);
    times.setPointSize(14);
    times.setBold(true);
    m_dateTime->setFont(times);
    m_dateTime->setAlignment(Qt::AlignCenter);

    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Picture1"));
    picture->setGeometry(twipsRect(360, 960, 2055, 2055));
    picture->setPixmap(Artwork::clockPicture());
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto *idLabel = new QLabel(QStringLiteral("Employee ID"), this);
    idLabel->setObjectName(QStringLiteral("Label2"));
    idLabel->setGeometry(twipsRect(3120, 1320, 1335, 255));

    m_id = new QLineEdit(this);
    m_id->setObjectName(QStringLiteral("Text1"));
    m_id->setGeometry(twipsRect(3120, 1560, 2895, 285));
    m_id->installEventFilter(this);

    auto *frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setGeometry(twipsRect(120, 2880, 3015, 975));
    auto *nameCaption = new QLabel(QStringLiteral("Name "), frame);
    nameCaption->setObjectName(QStringLiteral("Label3"));
    nameCaption->setGeometry(twipsRect(120, 240, 600, 255));
    m_name = new QLabel(frame);
    m_name->setObjectName(QStringLiteral("Label5"));
    m_name->setGeometry(twipsRect(720, 240, 2175, 255));
    auto *actionCaption = new QLabel(QStringLiteral("Action "), frame);
    actionCaption->setObjectName(QStringLiteral("Label4"));
    actionCaption->setGeometry(twipsRect(120, 480, 600, 255));
    m_action = new QLabel(frame);
    m_action->setObjectName(QStringLiteral("Label6"));
    m_action->setGeometry(twipsRect(720, 480, 2175, 255));

    m_closeFrame = new QGroupBox(this);
    m_closeFrame->setObjectName(QStringLiteral("GroupBox1"));
    m_closeFrame->setGeometry(twipsRect(4800, 2280, 1695, 1695));
    m_closeFrame->setMouseTracking(true);
    m_closeFrame->installEventFilter(this);
    m_close = new QPushButton(m_closeFrame);
    m_close->setObjectName(QStringLiteral("PushButton1"));
    m_close->setGeometry(twipsRect(4920 - 4800, 2400 - 2280, 1455, 1455));
    m_close->setIcon(Artwork::icon(QStringLiteral("close")));
    m_close->setIconSize(m_close->size() * 0.6);
    m_close->setToolTip(QStringLiteral("Close this Window"));
    m_close->setMouseTracking(true);
    m_close->installEventFilter(this);
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
    const QString text = ClockTexts::generalDateTime(zarvo::Clock::now());
    if (m_dateTime->text() != text)
        m_dateTime->setText(text);
}

bool Clock::eventFilter(QObject *watched, QEvent *event)
{
    // The window's own pointer over the close button, the default one over its frame; it
    // stays as last set elsewhere.
    if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) {
        // The button ignores plain moves, so they reach its frame too: the frame decides by
        // where the pointer is.
        bool overButton = watched == m_close;
        if (watched == m_closeFrame) {
            const QPointF at = event->type() == QEvent::Enter
                ? static_cast<QEnterEvent *>(event)->position()
                : static_cast<QMouseEvent *>(event)->position();
            overButton = m_close->geometry().contains(at.toPoint());
        }
        if (overButton)
            setCursor(Artwork::pointer());
        else if (watched == m_closeFrame)
            unsetCursor();
    }
    if (watched != m_id || event->type() != QEvent::KeyPress)
        return ConsoleWindow::eventFilter(watched, event);

    auto *key = static_cast<QKeyEvent *>(event);
    // Only keys that type a character count as typed keys (not arrows, Shift and the like).
    if (key->text().isEmpty())
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
    bool found = false;
    try {
        found = zarvo::findEmployeeExact(m_employees, id);
    } catch (const DbError &) {
        found = false;
    }
    if (!found) {
        Dialogs::message(this, QStringLiteral("No Record Found That Match Your ID"),
                         QStringLiteral("Record Not Found"), BoxIcon::Exclamation);
        m_id->clear();
        return;
    }
    m_name->setText(zarvo::punchName(m_employees));
    try {
        switch (zarvo::RecordPunch(Module1::instance().db, id)) {
        case PunchOutcome::SignedIn:
            m_action->setText(QStringLiteral("Signed In At ") + ClockTexts::time(zarvo::Clock::now().time()));
            break;
        case PunchOutcome::SignedOut:
            m_action->setText(QStringLiteral("Signed Out At ") + ClockTexts::time(zarvo::Clock::now().time()));
            break;
        case PunchOutcome::DayFull:
            break;
        }
    } catch (const DbError &e) {
        // The punch was not written: say so, and keep the ID so Enter can try again.
        Dialogs::message(this,
                         QStringLiteral("The punch was not recorded.") + QStringLiteral("\r\r") + e.message(),
                         QStringLiteral("Error! Recording Punch"), BoxIcon::Exclamation);
        return;
    }
    m_id->clear();
    m_id->setFocus();
}
