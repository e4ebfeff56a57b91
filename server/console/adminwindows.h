#pragma once
// What the two administrator windows share: the admin row and the password boxes.

#include "database.h"
#include <QString>

class QLineEdit;
class QWidget;

namespace AdminWindows {

/// Opens "Select * from admin" and checks the connection; on failure shows the
/// "Connection Failed" box and returns false.
bool openAdmin(zarvo::RecordSet &admin, QWidget *window);
/// True when the admin table has a first row whose password equals `typed` exactly
/// (case and blanks count; a Null password never matches). Leaves the set on its first row.
bool passwordMatches(zarvo::RecordSet &admin, const QString &typed);
/// A text box that shows "*" for every character.
QLineEdit *passwordBox(const QString &name, QWidget *parent);

} // namespace AdminWindows
