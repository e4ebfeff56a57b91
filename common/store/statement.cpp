#include "statement.h"
#include "connection.h"
#include <QDate>
#include <QTime>
#include <sqlite3.h>

namespace zarvo {

StatementPool::StatementPool(sqlite3 *db, bool keepIdle) : m_db(db), m_keepIdle(keepIdle) {}

StatementPool::~StatementPool() { clear(); }

sqlite3_stmt *StatementPool::take(const QString &sql)
{
    auto pool = m_idle.find(sql);
    if (pool != m_idle.end() && !pool->second.empty()) {
        sqlite3_stmt *st = pool->second.back();
        pool->second.pop_back();
        return st;
    }
    sqlite3_stmt *st = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &st, nullptr) != SQLITE_OK)
        throwStoreError(m_db);
    return st;
}

void StatementPool::giveBack(const QString &sql, sqlite3_stmt *statement)
{
    // A few idle statements per text, for a bounded number of texts (the SQL of the program's
    // windows is a fixed set; UPDATE texts vary with the fields written).
    constexpr size_t kPerText = 4, kTexts = 512;
    if (m_keepIdle && (m_idle.size() < kTexts || m_idle.count(sql))) {
        auto &pool = m_idle[sql];
        if (pool.size() < kPerText) {
            pool.push_back(statement);
            return;
        }
    }
    sqlite3_finalize(statement);
}

void StatementPool::clear()
{
    for (auto &[sql, pool] : m_idle)
        for (sqlite3_stmt *st : pool)
            sqlite3_finalize(st);
    m_idle.clear();
}

Statement::Statement(StatementPool &pool, const QString &sql) : m_pool(pool), m_sql(sql), m_stmt(pool.take(sql)) {}

Statement::~Statement()
{
    reset();
    m_pool.giveBack(m_sql, m_stmt);
}

void Statement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
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
        throwStoreError(m_pool.db());
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    throwStoreError(m_pool.db());
}

} // namespace zarvo
