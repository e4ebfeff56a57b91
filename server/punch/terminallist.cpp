// The console's "Terminals" command on the punch server's side: rebuilding table Terminal.
#include "consolewindow.h"
#include "database.h"
#include "dialogs.h"
#include "module1.h"
#include "punchserver.h"
#include "terminals.h"
#include <QWidget>

using zarvo::BoxIcon;
namespace Dialogs = zarvo::Dialogs;

void PunchServer::RebuildTerminalList()
{
    zarvo::DatabaseSession &db = Module1::instance().db;
    if (!db.isOpen()) {
        Dialogs::message(m_console, QStringLiteral("Could not open database ..."),
                         QStringLiteral("Connection Failed"), BoxIcon::Exclamation);
        m_console->close();
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
        for (const auto &[index, address] : connectedTerminals()) {
            rs.addNew();
            rs.setValue(QStringLiteral("ip"), address);
            rs.update();
        }
        rebuild.commit();
    } catch (const zarvo::DbError &e) {
        Dialogs::message(m_console, e.message(), QString(), BoxIcon::Exclamation);
        return;
    }
    ShowInsideConsole<Terminals>();
}
