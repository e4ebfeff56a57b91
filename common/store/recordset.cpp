#include "database.h"
#include "recordcursor.h"
#include "session.h"
#include <QDate>
#include <QTime>
#include <algorithm>

namespace zarvo {

RecordSet::RecordSet() = default;
RecordSet::~RecordSet() = default;
RecordSet::RecordSet(RecordSet &&) noexcept = default;
RecordSet &RecordSet::operator=(RecordSet &&) noexcept = default;

static RecordCursor &need(const std::unique_ptr<RecordCursor> &d)
{
    if (!d)
        throw DbError(QStringLiteral("The record set is not open"));
    return *d;
}

void RecordSet::open(DatabaseSession &db, const QString &sql, const QVariantList &params)
{
    d = std::make_unique<RecordCursor>(StoreAccess::session(db), sql, params);
}

bool RecordSet::isOpen() const { return bool(d); }
void RecordSet::close() { d.reset(); }
int RecordSet::recordCount() const { return d ? d->snapshot.size() : 0; }
bool RecordSet::bof() const { return !d || d->snapshot.size() == 0 || d->pos < 0; }
bool RecordSet::eof() const { return !d || d->snapshot.size() == 0 || d->pos >= d->snapshot.size(); }
int RecordSet::position() const { return d ? d->pos : -1; }
void RecordSet::setPosition(int row) { need(d).moveTo(row); }

void RecordSet::moveFirst()
{
    RecordCursor &c = need(d);
    c.leaveDeleted();
    if (c.snapshot.size() == 0)
        throw DbError(QStringLiteral("Either BOF or EOF is True: the record set has no rows"));
    c.moveTo(0);
}

void RecordSet::moveLast()
{
    RecordCursor &c = need(d);
    c.leaveDeleted();
    if (c.snapshot.size() == 0)
        throw DbError(QStringLiteral("Either BOF or EOF is True: the record set has no rows"));
    c.moveTo(c.snapshot.size() - 1);
}

void RecordSet::moveNext()
{
    RecordCursor &c = need(d);
    if (c.pos >= c.snapshot.size())
        throw DbError(QStringLiteral("Either BOF or EOF is True: cannot move past the last row"));
    // Dropping the deleted current row already brings the next one under the position.
    const bool wasDeleted = c.currentDeleted && c.pos >= 0;
    c.leaveDeleted();
    c.moveTo(wasDeleted ? c.pos : c.pos + 1);
}

void RecordSet::movePrevious()
{
    RecordCursor &c = need(d);
    if (c.pos < 0)
        throw DbError(QStringLiteral("Either BOF or EOF is True: cannot move before the first row"));
    c.leaveDeleted();
    c.moveTo(c.pos - 1);
}

QString RecordSet::table() const { return d ? d->snapshot.table() : QString(); }

QStringList RecordSet::fieldNames() const
{
    QStringList names;
    if (d)
        for (const Column &c : d->snapshot.columns())
            names << c.name;
    return names;
}

bool RecordSet::hasField(const QString &name) const { return d && d->snapshot.columnIndex(name) >= 0; }

static int fieldIndex(const Snapshot &s, const QString &field)
{
    const int i = s.columnIndex(field);
    if (i < 0)
        throw DbError(QStringLiteral("Item cannot be found: no field named %1").arg(field));
    return i;
}

QVariant RecordSet::value(const QString &field) const
{
    const RecordCursor &c = need(d);
    const int i = fieldIndex(c.snapshot, field);
    if (c.edits.contains(i))
        return c.edits.value(i);
    if (c.adding)
        return {};
    if (!c.onRow())
        throw DbError(QStringLiteral("Either BOF or EOF is True: there is no current row"));
    return c.snapshot.row(c.pos)[size_t(i)];
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
    const RecordCursor &c = need(d);
    if (row < 0 || row >= c.snapshot.size() || column < 0 || column >= int(c.snapshot.columns().size()))
        return {};
    return c.snapshot.row(row)[size_t(column)];
}

void RecordSet::setValue(const QString &field, const QVariant &value)
{
    RecordCursor &c = need(d);
    const int i = fieldIndex(c.snapshot, field);
    if (!c.adding)
        c.requireWritableRow();
    c.edits.insert(i, value);
}

void RecordSet::addNew()
{
    RecordCursor &c = need(d);
    c.leaveDeleted();
    c.edits.clear();
    c.adding = true;
}

void RecordSet::update()
{
    RecordCursor &c = need(d);
    // Convert everything first: a value the store cannot take leaves the row untouched.
    const StoredValues values = c.snapshot.convert(c.edits);
    if (c.adding) {
        c.snapshot.insert(values);
        c.pos = c.snapshot.size() - 1;
        c.adding = false;
        c.edits.clear();
        return;
    }
    c.requireWritableRow();
    if (values.empty())
        return;
    c.snapshot.update(c.pos, values);
    c.edits.clear();
}

void RecordSet::remove()
{
    RecordCursor &c = need(d);
    if (c.adding)
        throw DbError(QStringLiteral("Either BOF or EOF is True, or the current row was deleted"));
    c.requireWritableRow();
    c.snapshot.remove(c.pos);
    c.currentDeleted = true;
    c.edits.clear();
}

bool RecordSet::find(const QString &criterion)
{
    RecordCursor &c = need(d);
    const int eq = criterion.indexOf(QLatin1Char('='));
    if (eq < 0)
        throw DbError(QStringLiteral("Bad search criterion: %1").arg(criterion));
    const int col = fieldIndex(c.snapshot, criterion.left(eq).trimmed());
    QString literal = criterion.mid(eq + 1).trimmed();
    if (literal.size() >= 2 && literal.startsWith(QLatin1Char('\'')) && literal.endsWith(QLatin1Char('\'')))
        literal = literal.mid(1, literal.size() - 2);
    const Column &column = c.snapshot.columns()[size_t(col)];
    QVariant wanted;
    try {
        wanted = toStored(literal, column.type, column.name);
    } catch (const DbError &) {
        wanted = {}; // a value the column cannot hold matches no row
    }
    c.leaveDeleted();
    c.moveTo(std::max(c.pos, 0));
    for (; c.pos < c.snapshot.size(); ++c.pos) {
        if (!wanted.isValid())
            continue;
        const QVariant have = c.snapshot.row(c.pos)[size_t(col)];
        if (!have.isValid())
            continue;
        const QVariant stored = toStored(have, column.type, QString());
        if (column.type == LogicalType::Text ? stored.toString().compare(wanted.toString(), Qt::CaseInsensitive) == 0
                                             : stored == wanted)
            return true;
    }
    return false;
}

qint64 RecordSet::bookmark() const
{
    const RecordCursor &c = need(d);
    if (c.adding || !c.onRow())
        throw DbError(QStringLiteral("Either BOF or EOF is True: there is no current row"));
    return c.snapshot.rowid(c.pos);
}

qint64 RecordSet::bookmarkAt(int row) const
{
    const RecordCursor &c = need(d);
    if (row < 0 || row >= c.snapshot.size())
        throw DbError(QStringLiteral("Either BOF or EOF is True: there is no such row"));
    return c.snapshot.rowid(row);
}

bool RecordSet::moveToBookmark(qint64 bookmark)
{
    RecordCursor &c = need(d);
    c.leaveDeleted();
    const int index = c.snapshot.indexOf(bookmark);
    // A row deleted elsewhere may have left its bookmark to a newer row: it is not that row.
    if (index < 0 || c.snapshot.deletedElsewhere(bookmark))
        return false;
    c.moveTo(index);
    return true;
}

} // namespace zarvo
