#include "rowreader.h"
#include "statement.h"
#include <algorithm>
#include <sqlite3.h>

namespace zarvo {

QString RowReader::selectByRowid() const
{
    return QStringLiteral("SELECT %1 FROM %2 WHERE _rowid_ = ?").arg(m_shape->projection, quotedName(m_shape->table));
}

Row RowReader::fetch(qint64 rowid) const
{
    const auto &cols = m_shape->cols;
    Statement st(m_statements, selectByRowid());
    st.bind(1, rowid);
    Row row(cols.size());
    if (st.step())
        for (size_t i = 0; i < cols.size(); ++i)
            row[i] = fromStored(st.get(), int(i), cols[i].type);
    return row;
}

const Row &RowReader::row(const RowIds &ids, int index)
{
    if (!m_blocks) {
        m_rows.assign(1, fetch(ids[size_t(index)]));
        return m_rows.front();
    }
    if (m_block != index / kBlock)
        loadBlock(ids, index / kBlock);
    return m_rows[size_t(index % kBlock)];
}

const Row *RowReader::held(int index) const
{
    return m_blocks && index >= 0 && m_block == index / kBlock ? &m_rows[size_t(index % kBlock)] : nullptr;
}

void RowReader::loadBlock(const RowIds &ids, int block)
{
    const auto &cols = m_shape->cols;
    const int first = block * kBlock;
    const int last = std::min(first + kBlock, int(ids.size())) - 1;
    m_rows.assign(size_t(last - first + 1), Row(cols.size()));
    // A block whose rows lie far apart (one employee's days among many employees' rows) is read
    // row by row: a range scan would step through every row in between.
    if (ids[size_t(last)] - ids[size_t(first)] > qint64(last - first + 1) * 8) {
        Statement one(m_statements, selectByRowid());
        for (int i = first; i <= last; ++i) {
            sqlite3_reset(one.get());
            one.bind(1, ids[size_t(i)]);
            if (!one.step())
                continue; // gone since the snapshot was taken: reads as Null, as below
            Row &row = m_rows[size_t(i - first)];
            for (size_t c = 0; c < cols.size(); ++c)
                row[c] = fromStored(one.get(), int(c), cols[c].type);
        }
        m_block = block;
        return;
    }
    Statement st(m_statements, QStringLiteral("SELECT _rowid_, %1 FROM %2 WHERE _rowid_ BETWEEN ? AND ? ORDER BY _rowid_")
                                   .arg(m_shape->projection, quotedName(m_shape->table)));
    st.bind(1, ids[size_t(first)]);
    st.bind(2, ids[size_t(last)]);
    auto next = ids.begin() + first;
    const auto end = ids.begin() + last + 1;
    while (st.step() && next != end) {
        const qint64 id = sqlite3_column_int64(st.get(), 0);
        next = std::lower_bound(next, end, id);
        if (next == end || *next != id)
            continue; // a row the select did not take
        Row &row = m_rows[size_t(next - ids.begin() - first)];
        for (size_t i = 0; i < cols.size(); ++i)
            row[i] = fromStored(st.get(), int(i) + 1, cols[i].type);
    }
    m_block = block;
}

} // namespace zarvo
