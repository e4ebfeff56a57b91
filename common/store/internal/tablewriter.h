#pragma once
// Writes rows of one table through the columns of a select: the values are converted to the
// columns' stored forms first (a value the store cannot take leaves the row untouched), then
// one INSERT, UPDATE or DELETE by row id.

#include "selectshape.h"
#include <QHash>
#include <QVariantList>

namespace zarvo {

/// Field values assigned and not yet written, by column index.
using Edits = QHash<int, QVariant>;

/// Edits converted to what the table stores.
struct StoredValues {
    std::vector<int> columns;
    QVariantList values;
    bool empty() const { return columns.empty(); }
};

class TableWriter {
public:
    TableWriter(StatementPool &statements, const SelectShape &shape) : m_statements(statements), m_shape(shape) {}
    /// Throws DbError for a value a column cannot take or a column that is an expression.
    StoredValues convert(const Edits &edits) const;
    /// The new row's id.
    qint64 insert(const StoredValues &values);
    /// False when no row has that id (any more).
    bool update(qint64 rowid, const StoredValues &values);
    void remove(qint64 rowid);

private:
    StatementPool &m_statements;
    const SelectShape &m_shape;
};

} // namespace zarvo
