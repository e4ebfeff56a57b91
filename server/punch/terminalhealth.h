#pragma once
// The terminals' health as the operator sees it: the table beside the Terminals window's
// address list, and the console's status-bar count that opens that window.

#include "terminalregistry.h"
#include <QAbstractTableModel>
#include <QToolButton>

/// The registry's terminals as rows: name, connected since or last seen, last punch, punches
/// today, punches waiting at the terminal, clock offset. Away terminals are greyed; a clock
/// offset worth showing is red.
class TerminalHealthModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Name, Connection, LastPunch, PunchesToday, Waiting, ClockOffset, ColumnCount };

    explicit TerminalHealthModel(QObject *parent = nullptr);
    /// Takes the registry's state at `now`; rebuilds the rows only when something changed.
    void refresh(zarvo::TerminalRegistry &registry, const QDateTime &now);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QString text(const zarvo::TerminalRegistry::Terminal &t, int column) const;

    QList<zarvo::TerminalRegistry::Terminal> m_rows;
    QDate m_day;
    quint64 m_revision = ~quint64(0);
};

/// "Terminals: 5 connected, 1 away" in the status bar, kept current; a click asks for the
/// Terminals window (the console opens it as its "Terminals" command does).
class TerminalsIndicator : public QToolButton {
    Q_OBJECT
public:
    TerminalsIndicator(zarvo::TerminalRegistry *registry, QWidget *parent = nullptr);
    void refresh();

private:
    zarvo::TerminalRegistry *m_registry;
};
