#pragma once
// "Change Log": the entries of the log of changes made by hand, newest first, for the
// administrator to read (never to change); filtered by employee and by the days the changes
// were made on.

#include "consolewindow.h"

class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

class ChangeLogWindow : public ConsoleWindow {
    Q_OBJECT
public:
    explicit ChangeLogWindow(QWidget *parent = nullptr);
    bool load() override;
    /// Lists the entries the filter asks for; false when the log could not be read.
    bool showEntries();

private:
    QLineEdit *m_employee;
    QDateEdit *m_from;
    QDateEdit *m_to;
    QPushButton *m_show;
    QTreeWidget *m_list;
    QLabel *m_chain;
};
