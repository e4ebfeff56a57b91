#include "searchid.h"

SearchID::SearchID(QWidget *parent) : ConsoleWindow(parent) {}
