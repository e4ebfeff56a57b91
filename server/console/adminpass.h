#pragma once
// Changing the administrator password after checking the current one.

#include "consolewindow.h"
#include "database.h"

class QLineEdit;
class QPushButton;

/// "Change Administrator Password".
class AdminPass : public ConsoleWindow {
    Q_OBJECT
public:
    explicit AdminPass(QWidget *parent = nullptr);
    bool load() override;
    void activated() override;

private:
    void accept();

    QLineEdit *m_current;
    QLineEdit *m_new;
    QLineEdit *m_confirm;
    QPushButton *m_accept;
    zarvo::RecordSet m_admin;
    /// True until the first activation, and again once another inner window was active.
    bool m_cameFromElsewhere = true;
};
