#include "windowstore.h"
#include "module1.h"

bool openRecordSetChecked(zarvo::RecordSet &rs, const QString &sql, QWidget *window, const QVariantList &params,
                          const std::optional<zarvo::MessageBox> &onFailure)
{
    zarvo::DatabaseSession &db = Module1::instance().db;
    QString storeError;
    try {
        rs.open(db, sql, params);
    } catch (const zarvo::DbError &e) {
        storeError = e.message();
        rs.close(); // not the set of an earlier select either
    }
    if (!db.isOpen()) {
        zarvo::Dialogs::message(window, QStringLiteral("Could not open database ..."),
                                QStringLiteral("Connection Failed"), zarvo::BoxIcon::Exclamation);
        return false;
    }
    if (!rs.isOpen()) {
        // A busy, damaged or changed file is not a lost connection: say what failed, and let
        // the window stay, so the step can be tried again.
        const zarvo::MessageBox box = onFailure.value_or(
            zarvo::MessageBox{QStringLiteral("The records could not be read.") + QStringLiteral("\r\r") + storeError,
                              QStringLiteral("Error! Reading Records"), zarvo::BoxIcon::Exclamation});
        zarvo::Dialogs::message(window, box.text, box.title, box.icon, box.buttons);
    }
    return true;
}
