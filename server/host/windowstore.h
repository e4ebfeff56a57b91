#pragma once
// What every window that loads data does first: open its record set on the shared connection
// and check that the connection is open.

#include "database.h"
#include "dialogs.h"
#include <QString>
#include <QVariantList>
#include <optional>

class QWidget;

/// Opens `sql` on the shared connection and tells a lost connection from a failed select.
/// - The connection is closed: shows "Could not open database ..." (title "Connection Failed",
///   exclamation icon) over `window` and returns false: the caller closes the window.
/// - The connection is open but the store refuses the select: shows `onFailure`, the window's
///   own message for that step, or, when it has none, the store's text; returns true, since the
///   window stays open, with `rs` not open (it then lists nothing).
bool openRecordSetChecked(zarvo::RecordSet &rs, const QString &sql, QWidget *window, const QVariantList &params = {},
                          const std::optional<zarvo::MessageBox> &onFailure = std::nullopt);
