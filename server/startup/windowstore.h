#pragma once
// What every window that loads data does first: open its record set on the shared connection
// and check that the connection is open.

#include "database.h"
#include <QString>
#include <QVariantList>

class QWidget;

/// Opens `sql` on the shared connection. When the connection is closed or the select cannot
/// be opened, shows "Could not open database ..." (title "Connection Failed", exclamation
/// icon) over `window` and returns false: the window cannot work without its rows.
bool openRecordSetChecked(zarvo::RecordSet &rs, const QString &sql, QWidget *window, const QVariantList &params = {});
