#pragma once
// The terminals window: the addresses of the terminals connected when the list was rebuilt.

#include "consolewindow.h"

class QPushButton;
class QTreeWidget;

/// "Terminals Connected": table Terminal as it was when the window loaded.
class Terminals : public ConsoleWindow {
    Q_OBJECT
public:
    explicit Terminals(QWidget *parent = nullptr);
    /// Fills the list once from table Terminal; false (window closes) when the store is closed.
    bool load() override;

private:
    QTreeWidget *m_list;
    QPushButton *m_done;
};
