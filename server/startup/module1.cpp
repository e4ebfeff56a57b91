#include "module1.h"
#include <QCoreApplication>

Module1 &Module1::instance()
{
    static Module1 module;
    return module;
}

void Module1::setAdminLocked(bool locked)
{
    m_adminLocked = locked;
    emit adminLockedChanged(locked);
}

QString Module1::programFolder()
{
    return QCoreApplication::applicationDirPath();
}

QString Module1::databasePassword()
{
    return QStringLiteral("pluma");
}

void Module1::openDatabase()
{
    db.open(programFolder() + QStringLiteral("/punched.mdb"), databasePassword());
    db.prewarm();
    SelectedEmpID.clear();
}
