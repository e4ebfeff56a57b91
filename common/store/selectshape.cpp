#include "selectshape.h"
#include "database.h"
#include "statement.h"
#include <QDate>
#include <QRegularExpression>
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

std::shared_ptr<const SelectShape> parse(StatementPool &statements, const QString &sql)
{
    const auto m = kSelect.match(sql);
    if (!m.hasMatch())
        throw DbError(QStringLiteral("Only single-table selects can be opened: %1").arg(sql));
    auto shape = std::make_shared<SelectShape>();
    shape->projection = m.captured(1).trimmed();
    shape->table = m.captured(2);
    shape->tableLower = shape->table.toLower();
    shape->where = translateWhere(m.captured(3));
    // The columns, their logical types and the table columns they come from.
    Statement probe(statements, QStringLiteral("SELECT %1 FROM %2 LIMIT 0").arg(shape->projection, quotedName(shape->table)));
    const int n = sqlite3_column_count(probe.get());
    for (int i = 0; i < n; ++i) {
        Column c;
        c.name = QString::fromUtf8(sqlite3_column_name(probe.get(), i));
        const char *origin = sqlite3_column_origin_name(probe.get(), i);
        c.origin = origin ? QString::fromUtf8(origin) : QString();
        c.type = typeOfDeclared(sqlite3_column_decltype(probe.get(), i));
        shape->cols.push_back(c);
    }
    return shape;
}

} // namespace

QString quotedName(const QString &identifier)
{
    return QLatin1Char('"') + QString(identifier).remove(QLatin1Char('"')) + QLatin1Char('"');
}

int SelectShape::columnIndex(const QString &name) const
{
    for (size_t i = 0; i < cols.size(); ++i)
        if (cols[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    for (size_t i = 0; i < cols.size(); ++i)
        if (cols[i].origin.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

std::shared_ptr<const SelectShape> ShapeCache::shapeOf(StatementPool &statements, const QString &sql)
{
    const auto known = m_shapes.find(sql);
    if (known != m_shapes.end())
        return known->second;
    auto shape = parse(statements, sql);
    if (!m_keep)
        return shape;
    if (m_shapes.size() > 512)
        m_shapes.clear();
    m_shapes.emplace(sql, shape);
    return shape;
}

} // namespace zarvo
