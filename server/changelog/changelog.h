#pragma once
// The log of changes made by hand: one entry per change, written in the same transaction as
// the change itself, so that a change the file keeps always has its entry and a change that
// fails leaves none. Each entry carries a SHA-256 hash over its content and the previous
// entry's hash: an entry changed, deleted, or taken out of the middle or the end no longer fits
// the chain. Nothing in the program changes or deletes an entry (the file refuses it too).
//
// Table change_log (layout version 1): id (1, 2, ... in the order written), changed_at (local
// time "yyyy-MM-ddTHH:mm:ss"), window_name (the window, or part of the program, that made the
// change), action ("add", "change", "delete"), table_name and row_key (the row's bookmark in
// its table), emp_id and row_date (the employee and the timesheet day concerned, when there
// are), before_values and after_values (the row's stored fields as a JSON object; Null for a
// row added or deleted), prev_hash and hash.

#include "database.h"
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>
#include <functional>
#include <memory>

namespace ChangeLog {

enum class Action { Add, Change, Delete };

struct Entry {
    qint64 id = 0;
    QDateTime at;
    QString window;
    QString action;
    QString table;
    QString key;
    QString empId;
    QDate day;
    QString before; ///< JSON object, empty for none
    QString after;  ///< JSON object, empty for none
    QString prevHash;
    QString hash;
};

/// True when the file has the log (layout version 1 and later).
bool present(zarvo::DatabaseSession &db);

/// A change made by hand through `rs`, from its start to commit(): a row added through it
/// (Add), or its current row changed or deleted (Change, Delete). The change and its entry are
/// written in one transaction, the row's fields read from the file before and after:
///
///     ChangeLog::HandChange logged(db, objectName(), m_rs, ChangeLog::Action::Change);
///     m_rs.setValue(...); m_rs.update();
///     logged.commit();
///
/// The constructor and commit() throw zarvo::DbError when the change or its entry cannot be
/// written; a HandChange left without commit() keeps neither and puts `rs` back as it was.
class HandChange {
public:
    HandChange(zarvo::DatabaseSession &db, const QString &window, zarvo::RecordSet &rs, Action action);
    ~HandChange();
    void commit();
    HandChange(const HandChange &) = delete;
    HandChange &operator=(const HandChange &) = delete;

private:
    zarvo::DatabaseSession &m_db;
    zarvo::RecordSet &m_rs;
    Action m_action;
    std::unique_ptr<zarvo::Transaction> m_tx;
    std::unique_ptr<Entry> m_entry;
};

/// The same for a change made by one call: `change` runs between the start and the commit.
void record(zarvo::DatabaseSession &db, const QString &window, zarvo::RecordSet &rs, Action action,
            const std::function<void()> &change);

/// The entry for row `rowid` of `table` that the caller has just added, to be written inside
/// the caller's own transaction. Throws zarvo::DbError; the caller's transaction must then be
/// rolled back. (A HandChange may stand inside a transaction too: the punches set aside into
/// held_punch use one, within the punch server's batch when there is one.)
void rowAdded(zarvo::DatabaseSession &db, const QString &source, const QString &table, qint64 rowid);

/// The entries written on the days `from` to `to` (both included), oldest first; only those
/// concerning employee `empId` (letter case ignored) when it is not empty.
QList<Entry> entries(zarvo::DatabaseSession &db, const QDate &from, const QDate &to, const QString &empId = {});

/// Bookmarks of employee `empId`'s timesheet rows of the days `from` to `to` that were added
/// or changed by hand.
QSet<qint64> handChangedTimesheetRows(zarvo::DatabaseSession &db, const QString &empId, const QDate &from,
                                      const QDate &to);

/// What verify() found.
struct Verdict {
    bool intact = true;
    qint64 entries = 0;
    qint64 firstBad = 0; ///< the first entry that does not fit (0 when intact)
    QString problem;     ///< in words, naming that entry
    QString head;        ///< the last entry's hash (write it down to compare later)
};

/// Checks the whole chain.
Verdict verify(zarvo::DatabaseSession &db);

/// What an entry changed, for people: "in1: 07:00:00 -> 07:30:00; out1: (empty) -> 12:00:00"
/// for a change, the row's fields that hold a value for a row added or deleted.
QString describe(const Entry &e);

/// The hash an entry must carry.
QString hashOf(const Entry &e);

} // namespace ChangeLog
