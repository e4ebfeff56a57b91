#include "company.h"

Company::Company(QWidget *parent) : ConsoleWindow(parent) {}
