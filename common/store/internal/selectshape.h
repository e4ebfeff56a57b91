#pragma once
// What a select text means: its table, select list, where clause (date literals translated)
// and columns with their logical types. Working it out costs a parse and a probe of the
// columns; the cache keeps the shapes of the program's fixed set of texts.

#include "values.h"
#include <QHash> // std::hash of QString
#include <QString>
#include <memory>
#include <unordered_map>
#include <vector>

namespace zarvo {

class StatementPool;

struct Column {
    QString name;   // as the select names it (alias or column)
    QString origin; // the table's column it comes from; empty for an expression
    LogicalType type = LogicalType::Text;
};

struct SelectShape {
    QString table;      // as written in the select
    QString tableLower;
    QString projection; // the select list
    QString where;      // translated; empty for the whole table
    std::vector<Column> cols;

    bool wholeTable() const { return where.trimmed().isEmpty(); }
    /// The column of a name (select name first, then table column), without regard to case;
    /// -1 when unknown.
    int columnIndex(const QString &name) const;
};

/// A table or column name quoted for SQL.
QString quotedName(const QString &identifier);

class ShapeCache {
public:
    explicit ShapeCache(bool keep) : m_keep(keep) {}
    /// The shape of a single-table select; throws DbError for any other text.
    std::shared_ptr<const SelectShape> shapeOf(StatementPool &statements, const QString &sql);
    void clear() { m_shapes.clear(); }

private:
    bool m_keep;
    std::unordered_map<QString, std::shared_ptr<const SelectShape>> m_shapes;
};

} // namespace zarvo
