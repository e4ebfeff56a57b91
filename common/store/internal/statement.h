#pragma once
// Prepared statements. Preparing is most of the cost of a small select, so the pool keeps a
// few idle statements per SQL text; a Statement takes one (or prepares it) and gives it back
// reset when it goes.

#include <QHash> // std::hash of QString
#include <QString>
#include <QVariant>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace zarvo {

class StatementPool {
public:
    /// `keepIdle` false: every statement is prepared anew and finalized after use.
    StatementPool(sqlite3 *db, bool keepIdle);
    ~StatementPool();
    StatementPool(const StatementPool &) = delete;
    StatementPool &operator=(const StatementPool &) = delete;

    sqlite3 *db() const { return m_db; }
    /// An idle statement for the text, or a newly prepared one; throws DbError.
    sqlite3_stmt *take(const QString &sql);
    /// Keeps a reset statement for the next taker, or finalizes it.
    void giveBack(const QString &sql, sqlite3_stmt *statement);
    /// Finalizes every idle statement (the schema may have changed).
    void clear();

private:
    sqlite3 *m_db;
    bool m_keepIdle;
    std::unordered_map<QString, std::vector<sqlite3_stmt *>> m_idle;
};

class Statement {
public:
    Statement(StatementPool &pool, const QString &sql);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    void bind(int index, const QVariant &value); // 1-based
    bool step();                                 // true while a row is there
    /// Ready to run again with new bindings.
    void reset();
    sqlite3_stmt *get() const { return m_stmt; }

private:
    StatementPool &m_pool;
    QString m_sql;
    sqlite3_stmt *m_stmt = nullptr;
};

} // namespace zarvo
