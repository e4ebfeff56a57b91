#pragma once
// The terminals window: the addresses of the terminals connected when the list was rebuilt.

#include "consolewindow.h"

class QPushButton;
class QTimer;
class QTreeView;
class QTreeWidget;
class TerminalHealthModel;

/// "Terminals Connected": table Terminal as it was when the window loaded, and beside it each
/// terminal's health, kept current while the window is open.
class Terminals : public ConsoleWindow {
    Q_OBJECT
public:
    explicit Terminals(QWidget *parent = nullptr);
    /// Fills the list once from table Terminal; false (window closes) when the store is closed.
    bool load() override;
    /// Takes the punch server's current view of its terminals (once a second while open).
    void refreshHealth();

private:
    QTreeWidget *m_list;
    QTreeView *m_health;
    TerminalHealthModel *m_healthModel;
    QTimer *m_refresh;
    QPushButton *m_done;
};
