#include "employee.h"

Employee::Employee(QWidget *parent) : ConsoleWindow(parent) {}
