#pragma once
#include "consolewindow.h"

// Placeholder until the window is built.
class SearchID : public ConsoleWindow {
    Q_OBJECT
public:
    explicit SearchID(QWidget *parent = nullptr);
};
