#pragma once
// What the terminal keeps in client.mdb beside the server's address: the punches typed while
// the server could not be reached (table pending_punch) and the terminal's identity with the
// last known offset of its clock from the server's (table terminal_identity). Both came with
// layout version 1 of the file; the `server` table and its row are never touched here.

#include "database.h"
#include "layout.h"
#include <QList>
#include <QPair>
#include <QString>

namespace ClientLayout {

/// Every step after the delivered layout of schema.sql (version 0), oldest first.
const QList<zarvo::LayoutStep> &steps();
/// The version this program lays out and works on.
int newest();
/// Brings the open file at `path` up to the newest layout: first a complete copy of it into
/// backups/ beside it, then the steps (zarvo::upgradeLayout). Returns the copy's path, or ""
/// when the file was up to date. Throws DbError naming the file (and the copy) when the file
/// is newer than this program or the copy or the steps fail; the file is unchanged then.
QString upgrade(zarvo::DatabaseSession &db, const QString &path);

} // namespace ClientLayout

namespace zarvo {

/// One punch kept at the terminal.
struct KeptPunch {
    qint64 id = 0; ///< its row id: the seq of its replay
    QString employeeId;
    qint64 typedMs = 0;  ///< the terminal's clock when Enter was pressed
    qint64 offsetMs = 0; ///< the server's clock less the terminal's, as last known then
};

/// The table of kept punches. Every write is on disk when it returns (the store syncs each
/// commit), so a punch the employee was told is saved survives a power cut.
class KeptPunches {
public:
    explicit KeptPunches(DatabaseSession &db) : m_db(db) {}
    /// Stores a punch; returns its id. Throws DbError when the store does not take it.
    qint64 add(const QString &employeeId, qint64 typedMs, qint64 offsetMs);
    /// Forgets a punch (acknowledged by the server); nothing when it is gone already.
    void remove(qint64 id);
    /// The oldest kept punches after id `after`, at most `limit`, oldest first.
    QList<KeptPunch> oldest(int limit, qint64 after = 0);
    int count();

private:
    DatabaseSession &m_db;
};

/// The terminal's identity: 32 random hexadecimal digits, made on its first start and kept;
/// made anew when the file turns up on another computer (a copied program folder), so two
/// terminals never share one. The last offset learned from the server comes with it.
struct TerminalIdentity {
    QString id;
    qint64 offsetMs = 0;
};
TerminalIdentity loadTerminalIdentity(DatabaseSession &db, const QString &hostName);
void saveClockOffset(DatabaseSession &db, qint64 offsetMs);

} // namespace zarvo
