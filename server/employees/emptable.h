#pragma once
#include "consolewindow.h"

// Placeholder until the window is built.
class EmpTable : public ConsoleWindow {
    Q_OBJECT
public:
    explicit EmpTable(QWidget *parent = nullptr);
};
