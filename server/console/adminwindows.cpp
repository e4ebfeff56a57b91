#include "adminwindows.h"
#include "dialogs.h"
#include "module1.h"
#include "windowstore.h"
#include <QLineEdit>

namespace AdminWindows {

bool openAdmin(zarvo::RecordSet &admin, QWidget *window)
{
    return openRecordSetChecked(admin, QStringLiteral("Select * from admin"), window);
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
