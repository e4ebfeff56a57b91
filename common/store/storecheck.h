#pragma once
// Checks of an open database file before a program relies on it: that it can be written,
// holds the program's tables and has a sound structure. The cheap checks run at once; SQLite's
// whole structure check runs on a connection and thread of its own, and is waited for only as
// long as the start may take: on a large file it goes on beside the program.

#include "database.h"
#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>

namespace zarvo {

class BackgroundStoreCheck;

struct StoreCheckResult {
    QString fault; ///< what is wrong, in words; empty when nothing was found
    /// The whole structure check when it was still running at the end of the budget.
    std::shared_ptr<BackgroundStoreCheck> pending;
};

/// The words for a database file the program cannot write.
QString unwritableFault(const QString &path);

/// Checks the open `db`: writable, every table of `tables` present (names without regard to
/// case), page count and free list consistent with the file, both ends of every table
/// readable, then SQLite's whole structure check for at most `budgetMs` more.
StoreCheckResult checkStore(DatabaseSession &db, const QStringList &tables, int budgetMs);

/// The whole structure check of a file, running on a second, read-only connection.
class BackgroundStoreCheck {
public:
    struct State;
    explicit BackgroundStoreCheck(DatabaseSession &db);
    /// Leaves a check still running to itself (the thread ends with it or with the process);
    /// no result is delivered after this.
    ~BackgroundStoreCheck();
    /// Waits up to `ms` for the end; true when the check has finished.
    bool waitFor(int ms);
    /// The fault found ("" when none); meaningful once finished.
    QString fault() const;
    /// Runs `done` on `context`'s thread with the fault ("" when none) once the check ends.
    void onDone(QObject *context, std::function<void(const QString &)> done);

private:
    std::shared_ptr<State> m_state;
};

} // namespace zarvo
