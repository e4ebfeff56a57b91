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
    /// The server's database file, beside the program or where the packages keep it
    /// (zarvo::databaseFolder); every part that needs its place (or the folder beside it,
    /// where the copies go) asks here.
    static QString databasePath();
    /// Folder of punched.mdb, where the server's data and settings file (zarvo.ini) live.
    static QString databaseFolder();
    /// The database password of punched.mdb.
    static QString databasePassword();
    /// The tables the program cannot work without.
    static QStringList programTables();
    /// Time the start-up may spend on the file's structure check.
    static constexpr int StartCheckBudgetMs = 250;
    /// Opens databasePath() with the database password and refuses a file the program cannot
    /// use (empty, read-only, lacking its tables, damaged, of a newer layout); a file of an
    /// older layout is brought up to date in place, after a copy of it was taken. Throws
    /// zarvo::DbError with a text naming the file and the problem.
    void openDatabase();
    /// The file's whole structure check when it outlasted the start (nullptr otherwise); the
    /// caller releases it when the program ends.
    std::shared_ptr<zarvo::BackgroundStoreCheck> takePendingCheck() { return std::move(m_pendingCheck); }
    /// The copy taken before this start brought the file up to date (empty when none was).
    QString upgradeBackup() const { return m_upgradeBackup; }

signals:
    void adminLockedChanged(bool locked);

private:
    Module1() = default;
    bool m_adminLocked = true;
    std::shared_ptr<zarvo::BackgroundStoreCheck> m_pendingCheck;
    QString m_upgradeBackup;
};
