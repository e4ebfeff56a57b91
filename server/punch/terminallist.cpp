// The console's "Terminals" command: rebuilding table Terminal, then the window.
#include "consolewindow.h"
#include "database.h"
#include "dialogs.h"
#include "terminallist.h"
#include "terminals.h"
#include <QWidget>

using zarvo::BoxIcon;
namespace Dialogs = zarvo::Dialogs;

void RebuildTerminalList(QWidget *console, zarvo::DatabaseSession &db, const QList<QPair<qint64, QString>> &connected)
{
    if (!db.isOpen()) {
        Dialogs::message(console, QStringLiteral("Could not open database ..."),
                         QStringLiteral("Connection Failed"), BoxIcon::Exclamation);
        console->close();
        return;
    }
    try {
        // One commit for the whole table: the old list and the new are never seen half-made.
        zarvo::Transaction rebuild(db);
        zarvo::RecordSet rs;
        rs.open(db, QStringLiteral("Select * from Terminal"));
        if (rs.recordCount() > 0) {
            rs.moveFirst();
            while (!rs.eof()) {
                rs.remove();
                rs.moveNext();
            }
        }
        for (const auto &[index, address] : connected) {
            rs.addNew();
            rs.setValue(QStringLiteral("ip"), address);
            rs.update();
        }
        rebuild.commit();
    } catch (const zarvo::DbError &e) {
        Dialogs::message(console, e.message(), QString(), BoxIcon::Exclamation);
        return;
    }
    ShowInsideConsole<Terminals>();
}
