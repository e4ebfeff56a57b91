#pragma once
#include "consolewindow.h"

// Placeholder until the window is built.
class Company : public ConsoleWindow {
    Q_OBJECT
public:
    explicit Company(QWidget *parent = nullptr);
};
