#include "database.h"
#include "snapshot.h"
#include <algorithm>
#include <atomic>
#include <thread>
#include <sqlite3.h>

namespace zarvo {

DbError::DbError(const QString &message)
    : std::runtime_error(message.toStdString()), m_message(message)
{
}

void throwStoreError(sqlite3 *db, const QString &context)
{
    QString text = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
    if (!context.isEmpty())
        text += QStringLiteral(" (") + context + QLatin1Char(')');
    throw DbError(text);
}

// ---- Statement -------------------------------------------------------------------------------

Statement::Statement(SessionImpl &session, const QString &sql)
    : m_session(session), m_db(session.db), m_sql(sql)
{
    auto pool = session.idleStatements.find(sql);
    if (pool != session.idleStatements.end() && !pool->second.empty()) {
        m_stmt = pool->second.back();
        pool->second.pop_back();
        return;
    }
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &m_stmt, nullptr) != SQLITE_OK)
        throwStoreError(m_db);
}

Statement::~Statement()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
    // Keep a few idle statements per text, for a bounded number of texts (the SQL of the
    // program's windows is a fixed set; UPDATE texts vary with the fields written).
    constexpr size_t kPerText = 4, kTexts = 512;
    auto &pools = m_session.idleStatements;
    if (pools.size() < kTexts || pools.count(m_sql)) {
        auto &pool = pools[m_sql];
        if (pool.size() < kPerText) {
            pool.push_back(m_stmt);
            return;
        }
    }
    sqlite3_finalize(m_stmt);
}

void Statement::bind(int index, const QVariant &value)
{
    int rc = SQLITE_OK;
    if (!value.isValid() || value.isNull()) {
        rc = sqlite3_bind_null(m_stmt, index);
    } else {
        switch (value.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(m_stmt, index, value.toDouble());
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Bool:
            rc = sqlite3_bind_int64(m_stmt, index, value.toLongLong());
            break;
        case QMetaType::QDate:
            rc = sqlite3_bind_text(m_stmt, index, value.toDate().toString(Qt::ISODate).toUtf8().constData(),
                                   -1, SQLITE_TRANSIENT);
            break;
        case QMetaType::QTime: {
            const QByteArray t = value.toTime().toString(QStringLiteral("HH:mm:ss")).toUtf8();
            rc = sqlite3_bind_text(m_stmt, index, t.constData(), int(t.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray t = value.toString().toUtf8();
            rc = sqlite3_bind_text(m_stmt, index, t.constData(), int(t.size()), SQLITE_TRANSIENT);
            break;
        }
        }
    }
    if (rc != SQLITE_OK)
        throwStoreError(m_db);
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    throwStoreError(m_db);
}

// ---- DatabaseSession --------------------------------------------------------------------------

void SessionImpl::forgetPrepared()
{
    for (auto &[sql, pool] : idleStatements)
        for (sqlite3_stmt *st : pool)
            sqlite3_finalize(st);
    idleStatements.clear();
    shapes.clear();
}

SessionImpl::~SessionImpl()
{
    finishPrewarm(true, false);
    forgetPrepared();
    if (db)
        sqlite3_close_v2(db);
}

void SessionImpl::beforeWrite(const QString &tableLower, qint64 rowid, const Snapshot *writer, bool deleting)
{
    for (Snapshot *other : live) {
        if (other == writer || other->tableLower != tableLower || !other->contains(rowid))
            continue;
        if (!other->pinned.count(rowid))
            other->pin(rowid);
        if (deleting)
            other->deletedElsewhere.insert(rowid);
    }
}

struct SessionImpl::Prewarm {
    sqlite3 *db = nullptr;
    std::thread thread;
    std::atomic<bool> done{false};
    std::vector<QString> tables;
    std::vector<std::vector<qint64>> rows; // per table, written by the thread only
    bool ok = true;
};

void SessionImpl::startPrewarm()
{
    auto p = std::make_unique<Prewarm>();
    if (sqlite3_open_v2(path.toUtf8().constData(), &p->db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(p->db);
        return;
    }
    if (!key.isEmpty())
        sqlite3_key(p->db, key.constData(), int(key.size()));
    // The read snapshot starts with the first read inside BEGIN: from here on, this
    // connection's writes are logged.
    sqlite3_stmt *st = nullptr;
    if (sqlite3_exec(p->db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(p->db, "SELECT name FROM sqlite_master WHERE type = 'table'", -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(p->db);
        return;
    }
    while (sqlite3_step(st) == SQLITE_ROW)
        p->tables.push_back(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))));
    sqlite3_finalize(st);
    p->rows.resize(p->tables.size());
    Prewarm *raw = p.get();
    p->thread = std::thread([raw] {
        for (size_t i = 0; i < raw->tables.size() && raw->ok; ++i) {
            sqlite3_stmt *q = nullptr;
            const QByteArray sql = "SELECT _rowid_ FROM \"" + raw->tables[i].toUtf8() + "\" ORDER BY _rowid_";
            if (sqlite3_prepare_v2(raw->db, sql.constData(), -1, &q, nullptr) != SQLITE_OK) {
                raw->ok = false;
                break;
            }
            int rc;
            while ((rc = sqlite3_step(q)) == SQLITE_ROW)
                raw->rows[i].push_back(sqlite3_column_int64(q, 0));
            raw->ok = raw->ok && rc == SQLITE_DONE;
            sqlite3_finalize(q);
        }
        sqlite3_exec(raw->db, "COMMIT", nullptr, nullptr, nullptr);
        raw->done = true;
    });
    prewarm = std::move(p);
}

void SessionImpl::finishPrewarm(bool wait, bool keep)
{
    if (!prewarm || (!wait && !prewarm->done))
        return;
    const std::unique_ptr<Prewarm> p = std::move(prewarm);
    const auto log = std::move(prewarmLog);
    prewarmLog.clear();
    if (!keep)
        sqlite3_interrupt(p->db);
    p->thread.join();
    sqlite3_close_v2(p->db);
    if (!keep || !p->ok)
        return;
    for (size_t i = 0; i < p->tables.size(); ++i) {
        const QString t = p->tables[i].toLower();
        if (!tableRows.count(t))
            tableRows[t] = std::make_shared<RowIdList>(std::move(p->rows[i]));
    }
    // Replay what this connection did since the listing's snapshot began.
    for (const auto &[table, rowid, added] : log)
        rowChanged(table, rowid, added);
}

void SessionImpl::forgetTableRows()
{
    finishPrewarm(true, false);
    tableRows.clear();
}

void SessionImpl::rowAdded(const QString &tableLower, qint64 rowid) { rowChanged(tableLower, rowid, true); }
void SessionImpl::rowDeleted(const QString &tableLower, qint64 rowid) { rowChanged(tableLower, rowid, false); }

void SessionImpl::rowChanged(const QString &tableLower, qint64 rowid, bool added)
{
    if (prewarm) { // replayed over the listing when it is taken in
        prewarmLog.emplace_back(tableLower, rowid, added);
        finishPrewarm(false);
        return;
    }
    const auto t = tableRows.find(tableLower);
    if (t == tableRows.end())
        return;
    // Record sets may share the list (see RowIds): appending leaves what they see as it was;
    // anything else is done on a copy of the list while it is shared.
    auto &kept = t->second;
    if (added && (kept->empty() || rowid > kept->back())) {
        kept->push_back(rowid);
        return;
    }
    if (kept.use_count() > 1)
        kept = std::make_shared<RowIdList>(*kept);
    auto &ids = *kept;
    if (added) {
        ids.insert(std::upper_bound(ids.begin(), ids.end(), rowid), rowid);
        return;
    }
    const auto it = std::lower_bound(ids.begin(), ids.end(), rowid);
    if (it != ids.end() && *it == rowid)
        ids.erase(it);
}

DatabaseSession::DatabaseSession() = default;
DatabaseSession::~DatabaseSession() = default;

enum class OpenMode { Existing, Create, ReadOnly };

static void openFile(std::shared_ptr<SessionImpl> &d, const QString &path, const QString &password,
                     OpenMode mode)
{
    auto impl = std::make_shared<SessionImpl>();
    impl->path = path;
    const int flags = mode == OpenMode::ReadOnly ? SQLITE_OPEN_READONLY
                      : mode == OpenMode::Create ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE
                                                 : SQLITE_OPEN_READWRITE;
    if (sqlite3_open_v2(path.toUtf8().constData(), &impl->db, flags, nullptr) != SQLITE_OK)
        throwStoreError(impl->db, path);
    impl->key = password.toUtf8();
    if (!password.isEmpty() && sqlite3_key(impl->db, impl->key.constData(), int(impl->key.size())) != SQLITE_OK)
        throwStoreError(impl->db, path);
    sqlite3_busy_timeout(impl->db, 5000);
    if (sqlite3_create_collation_v2(impl->db, "NOCASE", SQLITE_UTF8, nullptr, compareIgnoringCase, nullptr) != SQLITE_OK)
        throwStoreError(impl->db, path);
    // A wrong password or a file that is no database only shows at the first read.
    if (sqlite3_exec(impl->db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) != SQLITE_OK)
        throwStoreError(impl->db, path);
    // Every write is durable when it returns: the write-ahead log, synced at each commit.
    // A reader changes nothing of the file, not even its journal mode.
    const bool reader = mode == OpenMode::ReadOnly;
    QList<const char *> pragmas{"PRAGMA cache_size=-262144", "PRAGMA temp_store=MEMORY"};
    if (reader)
        pragmas << "PRAGMA query_only=1";
    else
        pragmas << "PRAGMA journal_mode=WAL" << "PRAGMA synchronous=FULL";
    for (const char *pragma : pragmas) {
        if (sqlite3_exec(impl->db, pragma, nullptr, nullptr, nullptr) != SQLITE_OK)
            throwStoreError(impl->db, path);
    }
    d = std::move(impl);
}

void DatabaseSession::open(const QString &path, const QString &password)
{
    close();
    openFile(d, path, password, OpenMode::Existing);
}

void DatabaseSession::openReadOnly(const QString &path, const QString &password)
{
    close();
    openFile(d, path, password, OpenMode::ReadOnly);
}

void DatabaseSession::create(const QString &path, const QString &password)
{
    close();
    openFile(d, path, password, OpenMode::Create);
}

void DatabaseSession::prewarm()
{
    if (d && d->db && !d->prewarm)
        d->startPrewarm();
}

bool DatabaseSession::isOpen() const { return d && d->db; }

void DatabaseSession::close()
{
    // Record sets still open keep the connection alive through their shared pointer.
    d.reset();
}

sqlite3 *DatabaseSession::handle() const { return d ? d->db : nullptr; }

sqlite3 *requireOpen(const std::shared_ptr<SessionImpl> &d)
{
    if (!d || !d->db)
        throw DbError(QStringLiteral("The database is not open"));
    return d->db;
}

void DatabaseSession::execScript(const QString &sql)
{
    sqlite3 *db = requireOpen(d);
    d->forgetTableRows();
    d->forgetPrepared();
    char *error = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString text = QString::fromUtf8(error ? error : sqlite3_errmsg(db));
        sqlite3_free(error);
        throw DbError(text);
    }
}

qint64 DatabaseSession::countRows(const QString &table)
{
    requireOpen(d);
    Statement st(*d, QStringLiteral("SELECT count(*) FROM \"%1\"").arg(QString(table).remove('"')));
    st.step();
    return sqlite3_column_int64(st.get(), 0);
}

// ---- Transaction ------------------------------------------------------------------------------

Transaction::Transaction(DatabaseSession &db, std::initializer_list<RecordSet *> writers) : m_db(db)
{
    sqlite3 *h = requireOpen(db.impl());
    m_nested = sqlite3_get_autocommit(h) == 0;
    if (sqlite3_exec(h, m_nested ? "SAVEPOINT zarvo_part" : "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        throwStoreError(db.handle());
    for (RecordSet *rs : writers)
        if (rs && rs->d)
            m_writers.push_back({rs, rs->d.get(), std::make_shared<SnapshotState>(rs->d->save())});
}

Transaction::~Transaction()
{
    if (m_open && m_db.handle()) {
        sqlite3_exec(m_db.handle(), m_nested ? "ROLLBACK TO zarvo_part; RELEASE zarvo_part" : "ROLLBACK", nullptr,
                     nullptr, nullptr);
        m_db.impl()->forgetTableRows();
        for (const Writer &w : m_writers)
            if (w.rs->d.get() == w.opened)
                w.rs->d->restore(*w.state);
    }
}

void Transaction::commit()
{
    if (sqlite3_exec(m_db.handle(), m_nested ? "RELEASE zarvo_part" : "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        throwStoreError(m_db.handle());
    m_open = false;
}


} // namespace zarvo
