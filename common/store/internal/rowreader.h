#pragma once
// Reads a snapshot's rows from its table by position: a block of neighbouring rows with one
// statement (the walk of a grid or a report over a whole table), or, with the cache off, one
// row each time it is asked for.

#include "rowids.h"
#include "selectshape.h"
#include <memory>

namespace zarvo {

class RowReader {
public:
    RowReader(StatementPool &statements, std::shared_ptr<const SelectShape> shape, bool blocks)
        : m_statements(statements), m_shape(std::move(shape)), m_blocks(blocks) {}

    /// The row at `index` of `ids` as the table holds it (all Null when it is gone).
    const Row &row(const RowIds &ids, int index);
    /// The row with that id as the table holds it now.
    Row fetch(qint64 rowid) const;
    /// The row at `index` as last read, when it is still held; nullptr otherwise.
    const Row *held(int index) const;
    /// Forgets what was read (the positions moved).
    void invalidate() { m_block = -1; }

private:
    void loadBlock(const RowIds &ids, int block);
    QString selectByRowid() const;

    static constexpr int kBlock = 256;
    StatementPool &m_statements;
    std::shared_ptr<const SelectShape> m_shape;
    bool m_blocks;
    int m_block = -1;
    std::vector<Row> m_rows; // of block m_block
};

} // namespace zarvo
