#pragma once
// Versions of a database's layout and bringing an older file up to date in place.
//
// A file's layout version is kept in the file itself (PRAGMA user_version): 0 is the layout its
// schema file lays out, and each step adds tables or indexes beside it. Upgrading copies the
// file first (the store's online backup, same key), then runs every missing step and sets the
// version in one transaction: a failure anywhere leaves the file exactly as it was.

#include "database.h"
#include <QDateTime>
#include <QList>
#include <QString>

namespace zarvo {

/// The SQL that brings a file from layout `version` - 1 to `version`.
struct LayoutStep {
    int version;
    QString sql;
};

/// The newest version the steps lead to (0 without steps).
int newestLayout(const QList<LayoutStep> &steps);

/// The file's layout version.
int layoutVersion(DatabaseSession &db);

/// Runs, in one transaction, every step above the file's version up to `upTo` (the newest when
/// -1), then sets the version. Throws DbError; nothing of the file changes then.
void applyLayoutSteps(DatabaseSession &db, const QList<LayoutStep> &steps, int upTo = -1);

/// Writes a consistent copy of the database at `sourcePath` (opened with `password` on a
/// connection of its own, so it may run on any thread while the program writes) to `target`,
/// encrypted with the same key, through the store's online backup. The copy is written under a
/// temporary name, opened with the key and given a quick structure check, and only then put
/// under `target` (replacing an older copy of that name). Throws DbError naming what failed;
/// no file is left at `target` or under the temporary name then.
void copyDatabase(const QString &sourcePath, const QString &password, const QString &target);

/// The folder of a database file's copies: "backups" beside the file.
QString backupsFolderOf(const QString &databasePath);

/// What upgradeLayout() did.
struct LayoutUpgrade {
    int from = 0;
    int to = 0;
    QString backup; ///< the copy taken before the upgrade; empty when none was needed
};

/// Brings the open `db` (its file at `path`, key `password`) up to the newest layout of
/// `steps`: first a copy into backupsFolderOf(path) named after the time `now`, then the
/// steps. A file already at the newest version is left alone. Throws DbError with a text
/// naming the file (and the copy, once there is one) when the file is newer than the steps
/// know, when no copy could be made or when the steps fail; the file is unchanged then.
LayoutUpgrade upgradeLayout(DatabaseSession &db, const QString &path, const QString &password,
                            const QList<LayoutStep> &steps, const QDateTime &now);

/// The refusal of a file whose layout is newer than the program knows.
QString newerLayoutFault(const QString &path, int version, int newest);

} // namespace zarvo
