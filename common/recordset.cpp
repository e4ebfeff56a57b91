#include "database.h"
#include "snapshot.h"
#include <QDate>
#include <QTime>
#include <algorithm>

namespace zarvo {

RecordSet::RecordSet() = default;
RecordSet::~RecordSet() = default;
RecordSet::RecordSet(RecordSet &&) noexcept = default;
RecordSet &RecordSet::operator=(RecordSet &&) noexcept = default;

static Snapshot &need(const std::unique_ptr<Snapshot> &d)
{
    if (!d)
        throw DbError(QStringLiteral("The record set is not open"));
    return *d;
}

void RecordSet::open(DatabaseSession &db, const QString &sql, const QVariantList &params)
{
    requireOpen(db.impl());
    d = std::make_unique<Snapshot>(db.impl(), sql, params);
}

bool RecordSet::isOpen() const { return bool(d); }
void RecordSet::close() { d.reset(); }
int RecordSet::recordCount() const { return d ? int(d->rowids.size()) : 0; }
bool RecordSet::bof() const { return !d || d->rowids.empty() || d->pos < 0; }
bool RecordSet::eof() const { return !d || d->rowids.empty() || d->pos >= int(d->rowids.size()); }
int RecordSet::position() const { return d ? d->pos : -1; }

void RecordSet::setPosition(int row)
{
    Snapshot &s = need(d);
    s.dropDeletedCurrent();
    s.adding = false;
    s.edits.clear();
    s.pos = std::clamp(row, -1, int(s.rowids.size()));
}

void RecordSet::moveFirst()
{
    Snapshot &s = need(d);
    s.dropDeletedCurrent();
    if (s.rowids.empty())
        throw DbError(QStringLiteral("Either BOF or EOF is True: the record set has no rows"));
    setPosition(0);
}

void RecordSet::moveLast()
{
    Snapshot &s = need(d);
    s.dropDeletedCurrent();
    if (s.rowids.empty())
        throw DbError(QStringLiteral("Either BOF or EOF is True: the record set has no rows"));
    setPosition(int(s.rowids.size()) - 1);
}

void RecordSet::moveNext()
{
    Snapshot &s = need(d);
    if (s.pos >= int(s.rowids.size()))
        throw DbError(QStringLiteral("Either BOF or EOF is True: cannot move past the last row"));
    // Removing the deleted current row already brings the next one under the position.
    const bool wasDeleted = s.currentDeleted && s.pos >= 0;
    s.dropDeletedCurrent();
    setPosition(wasDeleted ? s.pos : s.pos + 1);
}

void RecordSet::movePrevious()
{
    Snapshot &s = need(d);
    if (s.pos < 0)
        throw DbError(QStringLiteral("Either BOF or EOF is True: cannot move before the first row"));
    s.dropDeletedCurrent();
    setPosition(s.pos - 1);
}

QString RecordSet::table() const { return d ? d->table : QString(); }

QStringList RecordSet::fieldNames() const
{
    QStringList names;
    if (d)
        for (const Column &c : d->cols)
            names << c.name;
    return names;
}

bool RecordSet::hasField(const QString &name) const { return d && d->columnIndex(name) >= 0; }

static int fieldIndex(const Snapshot &s, const QString &field)
{
    const int i = s.columnIndex(field);
    if (i < 0)
        throw DbError(QStringLiteral("Item cannot be found: no field named %1").arg(field));
    return i;
}

QVariant RecordSet::value(const QString &field) const
{
    const Snapshot &s = need(d);
    const int i = fieldIndex(s, field);
    if (s.edits.contains(i))
        return s.edits.value(i);
    if (s.adding)
        return {};
    if (s.pos < 0 || s.pos >= int(s.rowids.size()))
        throw DbError(QStringLiteral("Either BOF or EOF is True: there is no current row"));
    return s.row(s.pos)[size_t(i)];
}

QString RecordSet::text(const QString &field) const
{
    const QVariant v = value(field);
    if (!v.isValid())
        return {};
    switch (v.typeId()) {
    case QMetaType::QDate: return dayText(v.toDate());
    case QMetaType::QTime: return timeText(v.toTime());
    case QMetaType::Double: return QString::number(v.toDouble(), 'g', 15);
    default: return v.toString();
    }
}

QVariant RecordSet::valueAt(int row, int column) const
{
    const Snapshot &s = need(d);
    if (row < 0 || row >= int(s.rowids.size()) || column < 0 || column >= int(s.cols.size()))
        return {};
    return s.row(row)[size_t(column)];
}

void RecordSet::setValue(const QString &field, const QVariant &value)
{
    Snapshot &s = need(d);
    const int i = fieldIndex(s, field);
    if (!s.adding && (s.pos < 0 || s.pos >= int(s.rowids.size()) || s.currentDeleted))
        throw DbError(QStringLiteral("Either BOF or EOF is True, or the current row was deleted"));
    s.edits.insert(i, value);
}

void RecordSet::addNew()
{
    Snapshot &s = need(d);
    s.dropDeletedCurrent();
    s.edits.clear();
    s.adding = true;
}

void RecordSet::update() { need(d).update(); }
void RecordSet::remove() { need(d).remove(); }

bool RecordSet::find(const QString &criterion)
{
    Snapshot &s = need(d);
    const int eq = criterion.indexOf(QLatin1Char('='));
    if (eq < 0)
        throw DbError(QStringLiteral("Bad search criterion: %1").arg(criterion));
    const int col = fieldIndex(s, criterion.left(eq).trimmed());
    QString literal = criterion.mid(eq + 1).trimmed();
    if (literal.size() >= 2 && literal.startsWith(QLatin1Char('\'')) && literal.endsWith(QLatin1Char('\'')))
        literal = literal.mid(1, literal.size() - 2);
    const LogicalType type = s.cols[size_t(col)].type;
    QVariant wanted;
    try {
        wanted = toStored(literal, type, s.cols[size_t(col)].name);
    } catch (const DbError &) {
        wanted = {}; // a value the column cannot hold matches no row
    }
    s.dropDeletedCurrent();
    setPosition(std::max(s.pos, 0));
    for (; s.pos < int(s.rowids.size()); ++s.pos) {
        if (!wanted.isValid())
            continue;
        const QVariant have = s.row(s.pos)[size_t(col)];
        if (!have.isValid())
            continue;
        const QVariant stored = toStored(have, type, QString());
        if (type == LogicalType::Text ? stored.toString().compare(wanted.toString(), Qt::CaseInsensitive) == 0
                                      : stored == wanted)
            return true;
    }
    return false;
}

qint64 RecordSet::bookmark() const
{
    const Snapshot &s = need(d);
    if (s.adding || s.pos < 0 || s.pos >= int(s.rowids.size()))
        throw DbError(QStringLiteral("Either BOF or EOF is True: there is no current row"));
    return s.rowids[size_t(s.pos)];
}

qint64 RecordSet::bookmarkAt(int row) const
{
    const Snapshot &s = need(d);
    if (row < 0 || row >= int(s.rowids.size()))
        throw DbError(QStringLiteral("Either BOF or EOF is True: there is no such row"));
    return s.rowids[size_t(row)];
}

bool RecordSet::moveToBookmark(qint64 bookmark)
{
    Snapshot &s = need(d);
    s.dropDeletedCurrent();
    const auto it = std::lower_bound(s.rowids.begin(), s.rowids.end(), bookmark);
    // A row deleted elsewhere may have left its bookmark to a newer row: it is not that row.
    if (it == s.rowids.end() || *it != bookmark || s.deletedElsewhere.count(bookmark))
        return false;
    setPosition(int(it - s.rowids.begin()));
    return true;
}

} // namespace zarvo
