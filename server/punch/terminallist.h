#pragma once
// The console's "Terminals" command: table Terminal rebuilt from the connected terminals, then
// the Terminals window.

#include <QList>
#include <QPair>
#include <QString>

class QWidget;
namespace zarvo {
class DatabaseSession;
}

/// Rebuilds table Terminal from `connected` (slot, address) in one commit, then shows the
/// Terminals window inside the console. With the store closed: the "Connection Failed" box,
/// and the console closes.
void RebuildTerminalList(QWidget *console, zarvo::DatabaseSession &db, const QList<QPair<qint64, QString>> &connected);
