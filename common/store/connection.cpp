#include "connection.h"
#include "database.h"
#include "values.h"
#include <QList>
#include <sqlite3.h>

namespace zarvo {

void throwStoreError(sqlite3 *db, const QString &context)
{
    QString text = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
    if (!context.isEmpty())
        text += QStringLiteral(" (") + context + QLatin1Char(')');
    throw DbError(text);
}

Connection::Connection(const QString &path, const QString &password, Mode mode)
    : m_path(path), m_key(password.toUtf8())
{
    try {
        configure(mode);
    } catch (...) {
        sqlite3_close_v2(m_db);
        throw;
    }
}

Connection::~Connection() { sqlite3_close_v2(m_db); }

void Connection::configure(Mode mode)
{
    const int flags = mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY
                      : mode == Mode::Create ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE
                                             : SQLITE_OPEN_READWRITE;
    if (sqlite3_open_v2(m_path.toUtf8().constData(), &m_db, flags, nullptr) != SQLITE_OK)
        throwStoreError(m_db, m_path);
    if (!m_key.isEmpty() && sqlite3_key(m_db, m_key.constData(), int(m_key.size())) != SQLITE_OK)
        throwStoreError(m_db, m_path);
    sqlite3_busy_timeout(m_db, 5000);
    if (sqlite3_create_collation_v2(m_db, "NOCASE", SQLITE_UTF8, nullptr, compareIgnoringCase, nullptr) != SQLITE_OK)
        throwStoreError(m_db, m_path);
    // A wrong password or a file that is no database only shows at the first read.
    if (sqlite3_exec(m_db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) != SQLITE_OK)
        throwStoreError(m_db, m_path);
    // Every write is durable when it returns: the write-ahead log, synced at each commit.
    // A reader changes nothing of the file, not even its journal mode.
    QList<const char *> pragmas{"PRAGMA cache_size=-262144", "PRAGMA temp_store=MEMORY"};
    if (mode == Mode::ReadOnly)
        pragmas << "PRAGMA query_only=1";
    else
        pragmas << "PRAGMA journal_mode=WAL" << "PRAGMA synchronous=FULL";
    for (const char *pragma : pragmas) {
        if (sqlite3_exec(m_db, pragma, nullptr, nullptr, nullptr) != SQLITE_OK)
            throwStoreError(m_db, m_path);
    }
}

} // namespace zarvo
