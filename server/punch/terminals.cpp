#include "terminals.h"

Terminals::Terminals(QWidget *parent) : ConsoleWindow(parent) {}
