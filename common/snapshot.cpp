#include "snapshot.h"
#include <QRegularExpression>
#include <algorithm>
#include <sqlite3.h>

namespace zarvo {
namespace {

// The program's selects are single-table: "Select <list> from <table> [where ...]".
const QRegularExpression kSelect(
    QStringLiteral(R"(^\s*select\s+(.+?)\s+from\s+\[?([A-Za-z_][A-Za-z0-9_]*)\]?\s*(?:(where\s+.*?))?\s*;?\s*$)"),
    QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);

// Jet date literals #mm/dd/yyyy# are month/day/year whatever the locale.
const QRegularExpression kDateLiteral(QStringLiteral(R"(#(\d{1,2})/(\d{1,2})/(\d{4})#)"));

QString translateWhere(QString where)
{
    QString out;
    qsizetype last = 0;
    auto it = kDateLiteral.globalMatch(where);
    while (it.hasNext()) {
        const auto m = it.next();
        const QDate d(m.captured(3).toInt(), m.captured(1).toInt(), m.captured(2).toInt());
        out += where.mid(last, m.capturedStart() - last);
        out += d.isValid() ? QStringLiteral("'%1'").arg(d.toString(Qt::ISODate)) : QStringLiteral("NULL");
        last = m.capturedEnd();
    }
    out += where.mid(last);
    return out;
}

QString quoted(const QString &identifier)
{
    return QLatin1Char('"') + QString(identifier).remove(QLatin1Char('"')) + QLatin1Char('"');
}

} // namespace

static std::shared_ptr<const Shape> shapeOf(SessionImpl &session, const QString &sql)
{
    const auto known = session.shapes.find(sql);
    if (known != session.shapes.end())
        return known->second;
    const auto m = kSelect.match(sql);
    if (!m.hasMatch())
        throw DbError(QStringLiteral("Only single-table selects can be opened: %1").arg(sql));
    auto shape = std::make_shared<Shape>();
    shape->projection = m.captured(1).trimmed();
    shape->table = m.captured(2);
    shape->tableLower = shape->table.toLower();
    shape->where = translateWhere(m.captured(3));
    // The columns, their logical types and the table columns they come from.
    Statement probe(session, QStringLiteral("SELECT %1 FROM %2 LIMIT 0").arg(shape->projection, quoted(shape->table)));
    const int n = sqlite3_column_count(probe.get());
    for (int i = 0; i < n; ++i) {
        Column c;
        c.name = QString::fromUtf8(sqlite3_column_name(probe.get(), i));
        const char *origin = sqlite3_column_origin_name(probe.get(), i);
        c.origin = origin ? QString::fromUtf8(origin) : QString();
        c.type = typeOfDeclared(sqlite3_column_decltype(probe.get(), i));
        shape->cols.push_back(c);
    }
    if (session.shapes.size() > 512)
        session.shapes.clear();
    session.shapes.emplace(sql, shape);
    return shape;
}

Snapshot::Snapshot(std::shared_ptr<SessionImpl> session, const QString &sql, const QVariantList &params)
    : s(std::move(session)), shape(shapeOf(*s, sql)), table(shape->table), tableLower(shape->tableLower),
      projection(shape->projection), cols(shape->cols)
{
    const QString &where = shape->where;
    // The snapshot is the list of rows (by rowid) the select returns now, in the order they were
    // added; values are read on demand, and rows other record sets change or delete later are
    // pinned with their old values first (SessionImpl::beforeWrite).
    const bool wholeTable = where.trimmed().isEmpty();
    if (wholeTable)
        s->finishPrewarm(true);
    const auto known = wholeTable ? s->tableRows.find(tableLower) : s->tableRows.end();
    if (known != s->tableRows.end()) {
        rowids = RowIds(known->second);
    } else {
        Statement ids(*s, QStringLiteral("SELECT _rowid_ FROM %1 %2 ORDER BY _rowid_").arg(quoted(table), where));
        for (int i = 0; i < params.size(); ++i)
            ids.bind(i + 1, params[i]);
        RowIdList listed;
        while (ids.step())
            listed.push_back(sqlite3_column_int64(ids.get(), 0));
        if (wholeTable) {
            auto kept = std::make_shared<RowIdList>(std::move(listed));
            s->tableRows[tableLower] = kept;
            rowids = RowIds(kept);
        } else {
            rowids = RowIds(std::move(listed));
        }
    }
    pos = rowids.empty() ? -1 : 0;
    s->live.push_back(this);
}

Snapshot::~Snapshot()
{
    auto &live = s->live;
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
}

int Snapshot::columnIndex(const QString &name) const
{
    for (size_t i = 0; i < cols.size(); ++i)
        if (cols[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    for (size_t i = 0; i < cols.size(); ++i)
        if (cols[i].origin.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

bool Snapshot::contains(qint64 rowid) const
{
    return std::binary_search(rowids.begin(), rowids.end(), rowid);
}

Row Snapshot::fetch(qint64 rowid) const
{
    Statement st(*s, QStringLiteral("SELECT %1 FROM %2 WHERE _rowid_ = ?").arg(projection, quoted(table)));
    st.bind(1, rowid);
    Row row(cols.size());
    if (st.step())
        for (size_t i = 0; i < cols.size(); ++i)
            row[i] = fromStored(st.get(), int(i), cols[i].type);
    return row;
}

void Snapshot::loadBlock(int block) const
{
    const int first = block * kBlock;
    const int last = std::min(first + kBlock, int(rowids.size())) - 1;
    m_blockRows.assign(size_t(last - first + 1), Row(cols.size()));
    // A block whose rows lie far apart (one employee's days among many employees' rows) is read
    // row by row: a range scan would step through every row in between.
    if (rowids[size_t(last)] - rowids[size_t(first)] > qint64(last - first + 1) * 8) {
        Statement one(*s, QStringLiteral("SELECT %1 FROM %2 WHERE _rowid_ = ?").arg(projection, quoted(table)));
        for (int i = first; i <= last; ++i) {
            sqlite3_reset(one.get());
            one.bind(1, rowids[size_t(i)]);
            if (!one.step())
                continue; // gone since the snapshot was taken: reads as Null, as below
            Row &row = m_blockRows[size_t(i - first)];
            for (size_t c = 0; c < cols.size(); ++c)
                row[c] = fromStored(one.get(), int(c), cols[c].type);
        }
        m_block = block;
        return;
    }
    Statement st(*s, QStringLiteral("SELECT _rowid_, %1 FROM %2 WHERE _rowid_ BETWEEN ? AND ? ORDER BY _rowid_")
                            .arg(projection, quoted(table)));
    st.bind(1, rowids[size_t(first)]);
    st.bind(2, rowids[size_t(last)]);
    auto next = rowids.begin() + first;
    const auto end = rowids.begin() + last + 1;
    while (st.step() && next != end) {
        const qint64 id = sqlite3_column_int64(st.get(), 0);
        next = std::lower_bound(next, end, id);
        if (next == end || *next != id)
            continue; // a row the select did not take
        Row &row = m_blockRows[size_t(next - rowids.begin() - first)];
        for (size_t i = 0; i < cols.size(); ++i)
            row[i] = fromStored(st.get(), int(i) + 1, cols[i].type);
    }
    m_block = block;
}

const Row &Snapshot::row(int index) const
{
    const auto p = pinned.find(rowids[size_t(index)]);
    if (p != pinned.end())
        return p->second;
    if (m_block != index / kBlock)
        loadBlock(index / kBlock);
    return m_blockRows[size_t(index % kBlock)];
}

void Snapshot::pin(qint64 rowid)
{
    const auto it = std::lower_bound(rowids.begin(), rowids.end(), rowid);
    const int index = int(it - rowids.begin());
    pinned[rowid] = (m_block == index / kBlock) ? m_blockRows[size_t(index % kBlock)] : fetch(rowid);
}

void Snapshot::dropDeletedCurrent()
{
    if (!currentDeleted)
        return;
    currentDeleted = false;
    if (pos < 0 || pos >= int(rowids.size()))
        return;
    pinned.erase(rowids[size_t(pos)]);
    rowids.erase(size_t(pos));
    m_block = -1; // block boundaries moved
}

QVariantList Snapshot::storedValues(const std::vector<int> &columns, const Row &values) const
{
    QVariantList out;
    for (size_t k = 0; k < columns.size(); ++k) {
        const Column &c = cols[size_t(columns[k])];
        if (c.origin.isEmpty())
            throw DbError(QStringLiteral("The field %1 cannot be updated").arg(c.name));
        out << toStored(values[k], c.type, c.name);
    }
    return out;
}

// The store hands a deleted highest rowid to the next insert, so a row another record set
// deleted may by now hold someone else's data under the same rowid: never write through it.
void Snapshot::refuseIfDeletedElsewhere(qint64 rowid) const
{
    if (deletedElsewhere.count(rowid))
        throw DbError(QStringLiteral("Row cannot be located for updating: the row was deleted"));
}

void Snapshot::update()
{
    std::vector<int> columns;
    Row values;
    for (auto it = edits.cbegin(); it != edits.cend(); ++it) {
        columns.push_back(it.key());
        values.push_back(it.value());
    }
    // Convert everything first: a value the store cannot take leaves the row untouched.
    const QVariantList stored = storedValues(columns, values);

    if (adding) {
        QStringList names, marks;
        for (int c : columns) {
            names << quoted(cols[size_t(c)].origin);
            marks << QStringLiteral("?");
        }
        const QString sql = columns.empty()
                                ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(table))
                                : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                      .arg(quoted(table), names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        Statement st(*s, sql);
        for (int i = 0; i < stored.size(); ++i)
            st.bind(i + 1, stored[i]);
        st.step();
        const qint64 rowid = sqlite3_last_insert_rowid(s->db);
        rowids.push_back(rowid);
        s->rowAdded(tableLower, rowid);
        pinned[rowid] = fetch(rowid);
        pos = int(rowids.size()) - 1;
        adding = false;
        edits.clear();
        return;
    }
    if (pos < 0 || pos >= int(rowids.size()) || currentDeleted)
        throw DbError(QStringLiteral("Either BOF or EOF is True, or the current row was deleted"));
    if (columns.empty())
        return;
    const qint64 rowid = rowids[size_t(pos)];
    refuseIfDeletedElsewhere(rowid);
    QStringList sets;
    for (int c : columns)
        sets << quoted(cols[size_t(c)].origin) + QStringLiteral(" = ?");
    s->beforeWrite(tableLower, rowid, this, false);
    Statement st(*s, QStringLiteral("UPDATE %1 SET %2 WHERE _rowid_ = ?").arg(quoted(table), sets.join(QLatin1Char(','))));
    int i = 0;
    for (; i < stored.size(); ++i)
        st.bind(i + 1, stored[i]);
    st.bind(i + 1, rowid);
    st.step();
    if (sqlite3_changes(s->db) == 0)
        throw DbError(QStringLiteral("Row cannot be located for updating: it was deleted meanwhile"));
    pinned[rowid] = fetch(rowid);
    edits.clear();
}

SnapshotState Snapshot::save()
{
    return SnapshotState{rowids.keep(), pinned, deletedElsewhere, pos, currentDeleted, adding, newRow, edits};
}

void Snapshot::restore(const SnapshotState &state)
{
    rowids = state.rowids;
    pinned = state.pinned;
    deletedElsewhere = state.deletedElsewhere;
    pos = state.pos;
    currentDeleted = state.currentDeleted;
    adding = state.adding;
    newRow = state.newRow;
    edits = state.edits;
    m_block = -1; // the block read may hold values of the rolled-back writes
}

void Snapshot::remove()
{
    if (adding || pos < 0 || pos >= int(rowids.size()) || currentDeleted)
        throw DbError(QStringLiteral("Either BOF or EOF is True, or the current row was deleted"));
    const qint64 rowid = rowids[size_t(pos)];
    refuseIfDeletedElsewhere(rowid);
    pin(rowid); // the position stays on the row, which keeps its values until the next move
    s->beforeWrite(tableLower, rowid, this, true);
    Statement st(*s, QStringLiteral("DELETE FROM %1 WHERE _rowid_ = ?").arg(quoted(table)));
    st.bind(1, rowid);
    st.step();
    s->rowDeleted(tableLower, rowid);
    currentDeleted = true;
    edits.clear();
}

} // namespace zarvo
