#include "module1.h"
#include "clock.h"
#include "datafolder.h"
#include "layout.h"
#include "serverlayout.h"
#include "storecheck.h"
#include <QCoreApplication>
#include <QFileInfo>

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

QString Module1::databasePath()
{
    const QString name = QStringLiteral("punched.mdb");
    return zarvo::databaseFolder(programFolder(), name) + QLatin1Char('/') + name;
}

QString Module1::databaseFolder()
{
    return QFileInfo(databasePath()).absolutePath();
}

QString Module1::databasePassword()
{
    return QStringLiteral("pluma");
}

QStringList Module1::programTables()
{
    return {QStringLiteral("Employee"), QStringLiteral("timesheet"), QStringLiteral("Terminal"),
            QStringLiteral("admin"), QStringLiteral("Company"), QStringLiteral("details"),
            QStringLiteral("summary")};
}

void Module1::openDatabase()
{
    const QString path = databasePath();
    // Opening an empty file would lay a new database into it: refuse before touching it.
    const QFileInfo file(path);
    if (file.isFile() && file.size() == 0)
        throw zarvo::DbError(QStringLiteral("The database file ") + path
                             + QStringLiteral(" is empty: it holds none of the program's tables.")
                             + QStringLiteral("\r\rRestore it from a backup, then start the server again."));
    // Nor may a file that cannot be written get as far as the store opening it read-only.
    if (file.isFile() && !file.isWritable())
        throw zarvo::DbError(zarvo::unwritableFault(path)
                             + zarvo::databaseAccessHint(programFolder(), QStringLiteral("punched.mdb")));
    db.open(path, databasePassword());
    // A newer program's file is never worked on (nor changed) by an older one.
    const int version = zarvo::layoutVersion(db);
    if (version > ServerLayout::newest()) {
        db.close();
        throw zarvo::DbError(zarvo::newerLayoutFault(path, version, ServerLayout::newest()));
    }
    // A file the program cannot use must stop it now, not punch by punch. The structure check
    // may take a short part of the start; on a large file the rest runs after start.
    const zarvo::StoreCheckResult check = zarvo::checkStore(db, programTables(), StartCheckBudgetMs);
    if (!check.fault.isEmpty()) {
        db.close();
        throw zarvo::DbError(check.fault);
    }
    m_pendingCheck = check.pending;
    // The delivered tables are there and sound: add what the newer layouts put beside them.
    try {
        m_upgradeBackup = zarvo::upgradeLayout(db, path, databasePassword(), ServerLayout::steps(),
                                               zarvo::Clock::now()).backup;
    } catch (const zarvo::DbError &) {
        // The structure check reads on a connection of its own: ours must be the last to
        // close, so the file is left without a -wal/-shm beside it.
        if (m_pendingCheck)
            m_pendingCheck->waitFor(30000);
        m_pendingCheck.reset();
        db.close();
        throw;
    }
    db.prewarm();
    SelectedEmpID.clear();
}
