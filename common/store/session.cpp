#include "session.h"
#include "database.h"

namespace zarvo {

StoreCaches StoreCaches::fromEnvironment()
{
    StoreCaches c;
    if (qgetenv("ZARVO_STORE_CACHES") == "off")
        c.statements = c.shapes = c.rowBlocks = c.tableRows = false;
    return c;
}

SessionImpl::SessionImpl(const QString &path, const QString &password, Connection::Mode mode)
    : m_caches(StoreCaches::fromEnvironment()), m_connection(path, password, mode),
      m_statements(m_connection.handle(), m_caches.statements), m_shapes(m_caches.shapes),
      m_tableRows(m_caches.tableRows)
{
}

void SessionImpl::wrote(Write what, const QString &tableLower, qint64 rowid)
{
    switch (what) {
    case Write::RowAdded:
    case Write::RowDeleted:
        m_tableRows.follow(tableLower, rowid, what == Write::RowAdded);
        return;
    case Write::RolledBack:
        m_tableRows.forget();
        return;
    case Write::Script:
        m_tableRows.forget();
        m_statements.clear();
        m_shapes.clear();
        return;
    }
}

const std::shared_ptr<SessionImpl> &StoreAccess::session(const DatabaseSession &db)
{
    if (!db.d)
        throw DbError(QStringLiteral("The database is not open"));
    return db.d;
}

} // namespace zarvo
