#include "emptable.h"

EmpTable::EmpTable(QWidget *parent) : ConsoleWindow(parent) {}
