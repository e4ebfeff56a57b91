#include "terminalhealth.h"
#include "clock.h"
#include "systemtexts.h"
#include <QColor>
#include <QPalette>
#include <QTimer>

using zarvo::TerminalRegistry;

namespace {
/// A time of the day shown, with its date when it is of another day.
QString when(const QDateTime &t, const QDate &today)
{
    if (!t.isValid())
        return {};
    return t.date() == today ? zarvo::SystemTexts::time(t.time()) : zarvo::SystemTexts::generalDateTime(t);
}
} // namespace

TerminalHealthModel::TerminalHealthModel(QObject *parent) : QAbstractTableModel(parent) {}

void TerminalHealthModel::refresh(TerminalRegistry &registry, const QDateTime &now)
{
    // Nothing changed: the view keeps its rows, selection and scroll position untouched.
    if (registry.revision() == m_revision && now.date() == m_day)
        return;
    QList<TerminalRegistry::Terminal> rows = registry.terminals(now);
    m_revision = registry.revision();
    m_day = now.date();
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int TerminalHealthModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }
int TerminalHealthModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : ColumnCount; }

QString TerminalHealthModel::text(const TerminalRegistry::Terminal &t, int column) const
{
    switch (column) {
    case Name:
        return t.connections > 1 ? QStringLiteral("%1 (%2 connections)").arg(t.name).arg(t.connections) : t.name;
    case Connection:
        return t.connections > 0 ? QStringLiteral("since ") + when(t.connectedSince, m_day)
                                 : QStringLiteral("away, last seen ") + when(t.lastSeen, m_day);
    case LastPunch: return when(t.lastPunch, m_day);
    case PunchesToday: return QString::number(t.punchesToday);
    case Waiting: return t.waiting < 0 ? QString() : QString::number(t.waiting);
    case ClockOffset: return t.clockOffsetMs ? TerminalRegistry::offsetText(*t.clockOffsetMs) : QString();
    default: return {};
    }
}

QVariant TerminalHealthModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const TerminalRegistry::Terminal &t = m_rows[index.row()];
    switch (role) {
    case Qt::DisplayRole: return text(t, index.column());
    case Qt::ToolTipRole:
        return index.column() == Name ? QVariant(t.address) : QVariant();
    case Qt::ForegroundRole:
        if (index.column() == ClockOffset && !text(t, ClockOffset).isEmpty())
            return QColor(0xb0, 0, 0); // the terminal's employees' typed times are off
        if (t.connections == 0)
            return QPalette().color(QPalette::Disabled, QPalette::Text);
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() == PunchesToday || index.column() == Waiting)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default: return {};
    }
}

QVariant TerminalHealthModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char *const titles[] = {"Terminal", "Connected", "Last Punch", "Today", "Waiting", "Clock Offset"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(titles[section]) : QString();
}

TerminalsIndicator::TerminalsIndicator(TerminalRegistry *registry, QWidget *parent)
    : QToolButton(parent), m_registry(registry)
{
    setObjectName(QStringLiteral("TerminalsCount"));
    setAutoRaise(true);
    setToolTip(QStringLiteral("Terminals connected now, and those gone earlier today. Click to see them."));
    // No taller than a line of text: the console's client area keeps its height.
    setMaximumHeight(fontMetrics().height() + 2);
    // Terminals going away is news without any event of its own at midnight: a plain tick.
    auto *timer = new QTimer(this);
    timer->setInterval(1000);
    connect(timer, &QTimer::timeout, this, &TerminalsIndicator::refresh);
    timer->start();
    refresh();
}

void TerminalsIndicator::refresh()
{
    const QString text = QStringLiteral("Terminals: %1 connected, %2 away")
                             .arg(m_registry->connectedCount())
                             .arg(m_registry->awayCount(zarvo::Clock::now()));
    if (text != this->text())
        setText(text);
}
