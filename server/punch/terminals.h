#pragma once
#include "consolewindow.h"

// Placeholder until the window is built.
class Terminals : public ConsoleWindow {
    Q_OBJECT
public:
    explicit Terminals(QWidget *parent = nullptr);
};
