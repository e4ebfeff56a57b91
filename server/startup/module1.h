#pragma once
// The server's start-up module: the shared database connection and the program-wide values.

#include "database.h"
#include <QDate>
#include <QObject>
#include <QString>

/// Program-wide state of ZarvoServer, alive for the whole run.
class Module1 : public QObject {
    Q_OBJECT
public:
    static Module1 &instance();

    /// The one shared connection of the program.
    zarvo::DatabaseSession db;
    /// Hands one employee (and one of its days) from one window to the next.
    QString SelectedEmpID;
    QString SelectedDate;
    /// The day SelectedDate shows, kept as a date: the shown text follows the desktop's date
    /// format and is never read back.
    QDate SelectedDay;

    bool adminLocked() const { return m_adminLocked; }
    void setAdminLocked(bool locked);

    /// Folder of the running executable (never the current directory).
    static QString programFolder();
    /// The database password of punched.mdb.
    static QString databasePassword();
    /// Opens programFolder()/punched.mdb with the database password; throws zarvo::DbError.
    void openDatabase();

signals:
    void adminLockedChanged(bool locked);

private:
    Module1() = default;
    bool m_adminLocked = true;
};
