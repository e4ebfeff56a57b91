#include "windowstore.h"
#include "dialogs.h"
#include "module1.h"

bool openRecordSetChecked(zarvo::RecordSet &rs, const QString &sql, QWidget *window, const QVariantList &params)
{
    zarvo::DatabaseSession &db = Module1::instance().db;
    try {
        rs.open(db, sql, params);
    } catch (const zarvo::DbError &) {
        // Reported below like a closed connection.
    }
    if (!db.isOpen() || !rs.isOpen()) {
        zarvo::Dialogs::message(window, QStringLiteral("Could not open database ..."),
                                QStringLiteral("Connection Failed"), zarvo::BoxIcon::Exclamation);
        return false;
    }
    return true;
}
