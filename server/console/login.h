#pragma once
// The administrator login: the right password unlocks the console's administrator commands.

#include "consolewindow.h"
#include "database.h"

class QLineEdit;
class QPushButton;

/// "Administrator Login".
class LogIn : public ConsoleWindow {
    Q_OBJECT
public:
    explicit LogIn(QWidget *parent = nullptr);
    bool load() override;
    void activated() override;

private:
    void ok();

    QLineEdit *m_password;
    QPushButton *m_ok;
    /// The admin table as it was when the window loaded.
    zarvo::RecordSet m_admin;
};
