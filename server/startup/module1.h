#pragma once
// The server's start-up module: the shared database connection and the program-wide values.

#include "database.h"
#include <QDate>
#include "storecheck.h"
#include <QObject>
#include <QString>
#include <QStringList>

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
    /// The database file punched.mdb: in the program folder, or where the packages keep it.
    static QString databaseFile();
    /// The database password of punched.mdb.
    static QString databasePassword();
    /// The tables the program cannot work without.
    static QStringList programTables();
    /// Time the start-up may spend on the file's structure check.
    static constexpr int StartCheckBudgetMs = 250;
    /// Opens databaseFile() with the database password and refuses a file the
    /// program cannot use (empty, read-only, lacking its tables, damaged); throws zarvo::DbError
    /// with a text naming the file and the problem.
    void openDatabase();
    /// The file's whole structure check when it outlasted the start (nullptr otherwise); the
    /// caller releases it when the program ends.
    std::shared_ptr<zarvo::BackgroundStoreCheck> takePendingCheck() { return std::move(m_pendingCheck); }

signals:
    void adminLockedChanged(bool locked);

private:
    Module1() = default;
    bool m_adminLocked = true;
    std::shared_ptr<zarvo::BackgroundStoreCheck> m_pendingCheck;
};
