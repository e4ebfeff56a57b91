#include "tablewriter.h"
#include "database.h"
#include "statement.h"
#include <QStringList>
#include <sqlite3.h>

namespace zarvo {

StoredValues TableWriter::convert(const Edits &edits) const
{
    StoredValues out;
    for (auto it = edits.cbegin(); it != edits.cend(); ++it) {
        const Column &c = m_shape.cols[size_t(it.key())];
        if (c.origin.isEmpty())
            throw DbError(QStringLiteral("The field %1 cannot be updated").arg(c.name));
        out.columns.push_back(it.key());
        out.values << toStored(it.value(), c.type, c.name);
    }
    return out;
}

qint64 TableWriter::insert(const StoredValues &v)
{
    QStringList names, marks;
    for (int c : v.columns) {
        names << quotedName(m_shape.cols[size_t(c)].origin);
        marks << QStringLiteral("?");
    }
    const QString table = quotedName(m_shape.table);
    const QString sql = v.empty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table)
                                  : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                        .arg(table, names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
    Statement st(m_statements, sql);
    for (int i = 0; i < v.values.size(); ++i)
        st.bind(i + 1, v.values[i]);
    st.step();
    return sqlite3_last_insert_rowid(m_statements.db());
}

bool TableWriter::update(qint64 rowid, const StoredValues &v)
{
    QStringList sets;
    for (int c : v.columns)
        sets << quotedName(m_shape.cols[size_t(c)].origin) + QStringLiteral(" = ?");
    Statement st(m_statements, QStringLiteral("UPDATE %1 SET %2 WHERE _rowid_ = ?")
                                   .arg(quotedName(m_shape.table), sets.join(QLatin1Char(','))));
    int i = 0;
    for (; i < v.values.size(); ++i)
        st.bind(i + 1, v.values[i]);
    st.bind(i + 1, rowid);
    st.step();
    return sqlite3_changes(m_statements.db()) > 0;
}

void TableWriter::remove(qint64 rowid)
{
    Statement st(m_statements, QStringLiteral("DELETE FROM %1 WHERE _rowid_ = ?").arg(quotedName(m_shape.table)));
    st.bind(1, rowid);
    st.step();
}

} // namespace zarvo
