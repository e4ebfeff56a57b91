#pragma once
// What a record set means: the rows its select returned when it was opened (by row id, in the
// order they were added), the values of rows other record sets changed or deleted since (kept
// as they were seen), and the rows deleted elsewhere, never to be written through. Values are
// read from the table on demand; the cursor over them is the RecordSet's.

#include "rowreader.h"
#include "tablewriter.h"
#include <QVariantList>
#include <memory>
#include <unordered_map>
#include <unordered_set>

namespace zarvo {

class SessionImpl;

class Snapshot {
public:
    Snapshot(std::shared_ptr<SessionImpl> session, const QString &sql, const QVariantList &params);
    ~Snapshot();
    Snapshot(const Snapshot &) = delete;
    Snapshot &operator=(const Snapshot &) = delete;

    /// The table as written in the select.
    const QString &table() const { return m_shape->table; }
    const std::vector<Column> &columns() const { return m_shape->cols; }
    int columnIndex(const QString &name) const { return m_shape->columnIndex(name); }
    int size() const { return int(m_rowids.size()); }
    qint64 rowid(int index) const { return m_rowids[size_t(index)]; }
    /// The position of a row id, or -1 when the snapshot does not hold it.
    int indexOf(qint64 rowid) const;
    bool contains(qint64 rowid) const { return indexOf(rowid) >= 0; }
    const Row &row(int index) const;
    bool deletedElsewhere(qint64 rowid) const { return m_deletedElsewhere.count(rowid) > 0; }

    StoredValues convert(const Edits &edits) const { return writer().convert(edits); }
    /// Adds a row to the table and to the end of the snapshot.
    void insert(const StoredValues &values);
    /// Throws DbError when the row was deleted elsewhere or meanwhile.
    void update(int index, const StoredValues &values);
    /// Deletes the row from the table; the snapshot keeps it, with its values, until forget().
    void remove(int index);
    /// Drops a row this snapshot deleted.
    void forget(int index);

    /// What the snapshot holds beside the table, kept to be put back when a transaction that
    /// wrote through it rolls back.
    struct State {
        RowIds rowids;
        std::unordered_map<qint64, Row> kept;
        std::unordered_set<qint64> deletedElsewhere;
    };
    State save();
    void restore(const State &state);

    /// Told by the other record sets (OpenSnapshots) before they write one of its rows.
    const QString &tableLower() const { return m_shape->tableLower; }
    void writtenElsewhere(qint64 rowid, bool deleting);

private:
    TableWriter writer() const;
    void keepValues(qint64 rowid);
    void refuseIfDeletedElsewhere(qint64 rowid) const;

    std::shared_ptr<SessionImpl> m_session;
    std::shared_ptr<const SelectShape> m_shape;
    RowIds m_rowids; // ascending: the order rows were added
    std::unordered_map<qint64, Row> m_kept; // values as seen before a write
    std::unordered_set<qint64> m_deletedElsewhere;
    mutable RowReader m_reader;
};

} // namespace zarvo
