#include "database.h"
#include "recordcursor.h"
#include "session.h"
#include <sqlite3.h>

namespace zarvo {

DbError::DbError(const QString &message)
    : std::runtime_error(message.toStdString()), m_message(message)
{
}

// ---- DatabaseSession --------------------------------------------------------------------------

DatabaseSession::DatabaseSession() = default;
DatabaseSession::~DatabaseSession() = default;

void DatabaseSession::open(const QString &path, const QString &password)
{
    close();
    d = std::make_shared<SessionImpl>(path, password, Connection::Mode::Existing);
}

void DatabaseSession::openReadOnly(const QString &path, const QString &password)
{
    close();
    d = std::make_shared<SessionImpl>(path, password, Connection::Mode::ReadOnly);
}

void DatabaseSession::create(const QString &path, const QString &password)
{
    close();
    d = std::make_shared<SessionImpl>(path, password, Connection::Mode::Create);
}

void DatabaseSession::prewarm()
{
    if (d)
        d->tableRows().listInBackground(d->connection().path(), d->connection().key());
}

bool DatabaseSession::isOpen() const { return bool(d); }

void DatabaseSession::close()
{
    // Record sets still open keep the connection alive through their shared pointer.
    d.reset();
}

void DatabaseSession::execScript(const QString &sql)
{
    SessionImpl &s = *StoreAccess::session(*this);
    s.wrote(SessionImpl::Write::Script);
    char *error = nullptr;
    if (sqlite3_exec(s.handle(), sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString text = QString::fromUtf8(error ? error : sqlite3_errmsg(s.handle()));
        sqlite3_free(error);
        throw DbError(text);
    }
}

qint64 DatabaseSession::countRows(const QString &table)
{
    SessionImpl &s = *StoreAccess::session(*this);
    Statement st(s.statements(), QStringLiteral("SELECT count(*) FROM %1").arg(quotedName(table)));
    st.step();
    return sqlite3_column_int64(st.get(), 0);
}

// ---- Transaction ------------------------------------------------------------------------------

Transaction::Transaction(DatabaseSession &db, std::initializer_list<RecordSet *> writers) : m_db(db)
{
    sqlite3 *h = StoreAccess::session(db)->handle();
    m_nested = sqlite3_get_autocommit(h) == 0;
    if (sqlite3_exec(h, m_nested ? "SAVEPOINT zarvo_part" : "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        throwStoreError(h);
    for (RecordSet *rs : writers)
        if (rs && rs->d)
            m_writers.push_back({rs, rs->d.get(), std::make_shared<CursorState>(rs->d->save())});
}

Transaction::~Transaction()
{
    if (m_open && m_db.isOpen()) {
        SessionImpl &s = *StoreAccess::session(m_db);
        sqlite3_exec(s.handle(), m_nested ? "ROLLBACK TO zarvo_part; RELEASE zarvo_part" : "ROLLBACK", nullptr,
                     nullptr, nullptr);
        s.wrote(SessionImpl::Write::RolledBack);
        for (const Writer &w : m_writers)
            if (w.rs->d.get() == w.opened)
                w.rs->d->restore(*w.state);
    }
}

void Transaction::commit()
{
    sqlite3 *h = StoreAccess::session(m_db)->handle();
    if (sqlite3_exec(h, m_nested ? "RELEASE zarvo_part" : "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        throwStoreError(h);
    m_open = false;
}

} // namespace zarvo
