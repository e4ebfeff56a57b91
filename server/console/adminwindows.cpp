#include "adminwindows.h"
#include "dialogs.h"
#include "module1.h"
#include <QLineEdit>

namespace AdminWindows {

bool openAdmin(zarvo::RecordSet &admin, QWidget *window)
{
    try {
        admin.open(Module1::instance().db, QStringLiteral("Select * from admin"));
    } catch (const zarvo::DbError &) {
        // Reported below like a closed connection: the window cannot work without the row.
    }
    if (!Module1::instance().db.isOpen() || !admin.isOpen()) {
        zarvo::Dialogs::message(window, QStringLiteral("Could not open database ..."),
                                QStringLiteral("Connection Failed"), zarvo::BoxIcon::Exclamation);
        return false;
    }
    return true;
}

bool passwordMatches(zarvo::RecordSet &admin, const QString &typed)
{
    // An empty admin table has no password at all: nothing matches it.
    if (admin.recordCount() == 0)
        return false;
    admin.moveFirst();
    const QVariant stored = admin.value(QStringLiteral("password"));
    return stored.isValid() && stored.toString() == typed;
}

QLineEdit *passwordBox(const QString &name, QWidget *parent)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setEchoMode(QLineEdit::Password);
    box->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    return box;
}

} // namespace AdminWindows
