#include "snapshot.h"
#include "database.h"
#include "session.h"
#include <algorithm>
#include <sqlite3.h>

namespace zarvo {
namespace {

// The rows the select returns now, by row id in the order they were added. A whole table's
// ids come from the connection's kept list when there is one.
RowIds listRows(SessionImpl &s, const SelectShape &shape, const QVariantList &params)
{
    if (shape.wholeTable())
        if (auto kept = s.tableRows().find(shape.tableLower))
            return RowIds(std::move(kept));
    Statement ids(s.statements(),
                  QStringLiteral("SELECT _rowid_ FROM %1 %2 ORDER BY _rowid_").arg(quotedName(shape.table), shape.where));
    for (int i = 0; i < params.size(); ++i)
        ids.bind(i + 1, params[i]);
    RowIdList listed;
    while (ids.step())
        listed.push_back(sqlite3_column_int64(ids.get(), 0));
    if (shape.wholeTable())
        return s.tableRows().keep(shape.tableLower, std::move(listed));
    return RowIds(std::move(listed));
}

} // namespace

Snapshot::Snapshot(std::shared_ptr<SessionImpl> session, const QString &sql, const QVariantList &params)
    : m_session(std::move(session)), m_shape(m_session->shapes().shapeOf(m_session->statements(), sql)),
      m_rowids(listRows(*m_session, *m_shape, params)),
      m_reader(m_session->statements(), m_shape, m_session->caches().rowBlocks)
{
    m_session->openSnapshots().add(this);
}

Snapshot::~Snapshot() { m_session->openSnapshots().remove(this); }

int Snapshot::indexOf(qint64 rowid) const
{
    const auto it = std::lower_bound(m_rowids.begin(), m_rowids.end(), rowid);
    return it != m_rowids.end() && *it == rowid ? int(it - m_rowids.begin()) : -1;
}

const Row &Snapshot::row(int index) const
{
    const auto kept = m_kept.find(rowid(index));
    if (kept != m_kept.end())
        return kept->second;
    return m_reader.row(m_rowids, index);
}

TableWriter Snapshot::writer() const { return TableWriter(m_session->statements(), *m_shape); }

void Snapshot::keepValues(qint64 rowid)
{
    const Row *held = m_reader.held(indexOf(rowid));
    m_kept[rowid] = held ? *held : m_reader.fetch(rowid);
}

void Snapshot::writtenElsewhere(qint64 rowid, bool deleting)
{
    if (!contains(rowid))
        return;
    if (!m_kept.count(rowid))
        keepValues(rowid);
    if (deleting)
        m_deletedElsewhere.insert(rowid);
}

// The store hands a deleted highest row id to the next insert, so a row another record set
// deleted may by now hold someone else's data under the same id: never write through it.
void Snapshot::refuseIfDeletedElsewhere(qint64 rowid) const
{
    if (deletedElsewhere(rowid))
        throw DbError(QStringLiteral("Row cannot be located for updating: the row was deleted"));
}

void Snapshot::insert(const StoredValues &values)
{
    const qint64 rowid = writer().insert(values);
    m_rowids.push_back(rowid);
    m_session->wrote(SessionImpl::Write::RowAdded, m_shape->tableLower, rowid);
    m_kept[rowid] = m_reader.fetch(rowid);
}

void Snapshot::update(int index, const StoredValues &values)
{
    const qint64 id = rowid(index);
    refuseIfDeletedElsewhere(id);
    m_session->openSnapshots().beforeWrite(m_shape->tableLower, id, this, false);
    if (!writer().update(id, values))
        throw DbError(QStringLiteral("Row cannot be located for updating: it was deleted meanwhile"));
    m_kept[id] = m_reader.fetch(id);
}

void Snapshot::remove(int index)
{
    const qint64 id = rowid(index);
    refuseIfDeletedElsewhere(id);
    keepValues(id); // the position stays on the row, which keeps its values until the next move
    m_session->openSnapshots().beforeWrite(m_shape->tableLower, id, this, true);
    writer().remove(id);
    m_session->wrote(SessionImpl::Write::RowDeleted, m_shape->tableLower, id);
}

Snapshot::State Snapshot::save() { return State{m_rowids.keep(), m_kept, m_deletedElsewhere}; }

void Snapshot::restore(const State &state)
{
    m_rowids = state.rowids;
    m_kept = state.kept;
    m_deletedElsewhere = state.deletedElsewhere;
    m_reader.invalidate(); // the rows read may hold values of the rolled-back writes
}

void Snapshot::forget(int index)
{
    m_kept.erase(rowid(index));
    m_rowids.erase(size_t(index));
    m_reader.invalidate(); // positions after it moved
}

} // namespace zarvo
