#pragma once
// Internals of the store: the connection's shared state and a record set's snapshot.

#include "database.h"
#include "rowids.h"
#include <QHash>
#include <QString>
#include <QVariant>
#include <memory>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace zarvo {

enum class LogicalType { Text, Date, Time, Number, Integer };

struct Column {
    QString name;   // as the select names it (alias or column)
    QString origin; // the table's column it comes from; empty for an expression
    LogicalType type = LogicalType::Text;
};

using Row = std::vector<QVariant>;

class SessionImpl;

/// A prepared statement, taken from the connection's pool of idle statements for the same SQL
/// text (preparing is most of the cost of a small select), reset and given back when it goes.
class Statement {
public:
    Statement(SessionImpl &session, const QString &sql);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    void bind(int index, const QVariant &value); // 1-based
    bool step();                                 // true while a row is there
    sqlite3_stmt *get() const { return m_stmt; }

private:
    SessionImpl &m_session;
    sqlite3 *m_db;
    QString m_sql;
    sqlite3_stmt *m_stmt = nullptr;
};

/// What a select text means: its table, select list, translated where clause and columns.
struct Shape {
    QString table;
    QString tableLower;
    QString projection;
    QString where;
    std::vector<Column> cols;
};

[[noreturn]] void throwStoreError(sqlite3 *db, const QString &context = {});

class SessionImpl {
public:
    ~SessionImpl();
    sqlite3 *db = nullptr;
    QString path;
    QByteArray key;
    std::vector<Snapshot *> live; // open record sets, told before each write
    std::unordered_map<QString, std::vector<sqlite3_stmt *>> idleStatements;
    std::unordered_map<QString, std::shared_ptr<const Shape>> shapes;
    /// Drops the pooled statements and the known select shapes (the schema may have changed).
    void forgetPrepared();
    // Every rowid of a table, kept once a whole-table select has listed them and then followed
    // through each insert and delete of this connection, so reopening a whole large table costs
    // a copy instead of a scan. Dropped whenever writes bypass record sets.
    std::unordered_map<QString, std::shared_ptr<RowIdList>> tableRows;

    void rowAdded(const QString &tableLower, qint64 rowid);
    void rowDeleted(const QString &tableLower, qint64 rowid);
    void rowChanged(const QString &tableLower, qint64 rowid, bool added);
    /// Forgets every kept rowid list (writes went around the record sets).
    void forgetTableRows();

    // Listing every table's rowids in the background after start-up, on a second connection
    // whose read snapshot starts when the listing is started; this connection's inserts and
    // deletes after that moment are logged and replayed over the listing when it is taken in.
    struct Prewarm;
    std::unique_ptr<Prewarm> prewarm;
    std::vector<std::tuple<QString, qint64, bool>> prewarmLog; // table, rowid, added
    void startPrewarm();
    /// Takes the background listing in (waiting for it if `wait`), or drops it.
    void finishPrewarm(bool wait, bool keep = true);

    /// Lets every other open record set over `table` keep the current values of `rowid`; when
    /// `deleting`, they also learn the row is gone, so that a later insert reusing its rowid is
    /// never mistaken for it.
    void beforeWrite(const QString &tableLower, qint64 rowid, const Snapshot *writer, bool deleting);
};

/// What a record set's snapshot holds beside the store, kept to be put back (Transaction).
struct SnapshotState {
    RowIds rowids;
    std::unordered_map<qint64, Row> pinned;
    std::unordered_set<qint64> deletedElsewhere;
    int pos = -1;
    bool currentDeleted = false;
    bool adding = false;
    Row newRow;
    QHash<int, QVariant> edits;
};

class Snapshot {
public:
    Snapshot(std::shared_ptr<SessionImpl> session, const QString &sql, const QVariantList &params);
    ~Snapshot();

    std::shared_ptr<SessionImpl> s;
    std::shared_ptr<const Shape> shape;
    const QString &table;      // as written in the select
    const QString &tableLower;
    const QString &projection; // the select list
    const std::vector<Column> &cols;
    RowIds rowids; // ascending: the order rows were added
    std::unordered_map<qint64, Row> pinned;
    std::unordered_set<qint64> deletedElsewhere; // rows another record set deleted since opening
    int pos = -1;
    bool currentDeleted = false;
    bool adding = false;
    Row newRow;
    QHash<int, QVariant> edits;

    int columnIndex(const QString &name) const; // -1 when unknown
    bool contains(qint64 rowid) const;
    const Row &row(int index) const;
    void pin(qint64 rowid);          // keeps the row's current stored values
    void dropDeletedCurrent();       // before a move away from a deleted row
    void update();
    void remove();
    SnapshotState save();
    void restore(const SnapshotState &state);

private:
    Row fetch(qint64 rowid) const;
    void loadBlock(int block) const;
    void refuseIfDeletedElsewhere(qint64 rowid) const;
    QVariantList storedValues(const std::vector<int> &columns, const Row &values) const;

    static constexpr int kBlock = 256;
    mutable int m_block = -1;
    mutable std::vector<Row> m_blockRows;
};

/// Conversions between the program's values and the stored form of a logical type.
QVariant toStored(const QVariant &value, LogicalType type, const QString &field);
QVariant fromStored(sqlite3_stmt *stmt, int column, LogicalType type);
LogicalType typeOfDeclared(const char *decltype_);
/// Text comparison ignoring the case of every letter; replaces the store's ASCII-only NOCASE.
int compareIgnoringCase(void *, int size1, const void *text1, int size2, const void *text2);
/// The session's connection, or DbError when it is closed.
sqlite3 *requireOpen(const std::shared_ptr<SessionImpl> &d);

} // namespace zarvo
