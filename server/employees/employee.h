#pragma once
#include "consolewindow.h"

// Placeholder until the window is built.
class Employee : public ConsoleWindow {
    Q_OBJECT
public:
    explicit Employee(QWidget *parent = nullptr);
};
