#pragma once
// A DatabaseSession's shared state: the connection and, beside it, the caches that make the
// program's fixed set of selects cheap. Each cache changes speed only, never a result: the
// store's tests run once with every cache on and once with every cache off.

#include "connection.h"
#include "opensnapshots.h"
#include "selectshape.h"
#include "statement.h"
#include "tablerowindex.h"
#include <memory>

namespace zarvo {

class DatabaseSession;

/// Which caches a session uses: all of them, unless ZARVO_STORE_CACHES is "off" when it opens.
struct StoreCaches {
    bool statements = true; ///< idle prepared statements per SQL text
    bool shapes = true;     ///< parsed select texts
    bool rowBlocks = true;  ///< blocks of neighbouring rows read together
    bool tableRows = true;  ///< every table's row ids, kept and followed; listed in the background
    static StoreCaches fromEnvironment();
};

class SessionImpl {
public:
    SessionImpl(const QString &path, const QString &password, Connection::Mode mode);

    const StoreCaches &caches() const { return m_caches; }
    const Connection &connection() const { return m_connection; }
    sqlite3 *handle() const { return m_connection.handle(); }
    StatementPool &statements() { return m_statements; }
    ShapeCache &shapes() { return m_shapes; }
    TableRowIndex &tableRows() { return m_tableRows; }
    OpenSnapshots &openSnapshots() { return m_open; }

    enum class Write {
        RowAdded,   ///< by a record set, which names the table and row
        RowDeleted, ///< by a record set
        RolledBack, ///< a transaction undone: the kept lists followed writes that are gone
        Script,     ///< SQL run as it stands: any table, even the schema, may have changed
    };
    /// The one place that says what a write does to the cached lists and texts.
    void wrote(Write what, const QString &tableLower = {}, qint64 rowid = 0);

private:
    // Declared in the order of need: the caches go before the connection they use.
    const StoreCaches m_caches;
    Connection m_connection;
    StatementPool m_statements;
    ShapeCache m_shapes;
    TableRowIndex m_tableRows;
    OpenSnapshots m_open;
};

/// The store's own way into a DatabaseSession (the session keeps it from every other caller).
struct StoreAccess {
    /// The open session, or DbError "The database is not open".
    static const std::shared_ptr<SessionImpl> &session(const DatabaseSession &db);
    static const Connection &connection(const DatabaseSession &db) { return session(db)->connection(); }
};

} // namespace zarvo
