#include "changelog.h"
#include "clock.h"
#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTime>

using zarvo::DatabaseSession;
using zarvo::DbError;
using zarvo::RecordSet;

namespace ChangeLog {
namespace {

const QString kGenesis(64, QLatin1Char('0'));
const QString kTimeFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss");

const char *actionName(Action a)
{
    switch (a) {
    case Action::Add: return "add";
    case Action::Change: return "change";
    case Action::Delete: return "delete";
    }
    return "";
}

/// Fields never written into the log: it records that they changed, not what they hold.
bool secret(const QString &table, const QString &field)
{
    return table.compare(QLatin1String("admin"), Qt::CaseInsensitive) == 0 &&
           field.compare(QLatin1String("password"), Qt::CaseInsensitive) == 0;
}

QJsonValue jsonOf(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return QJsonValue::Null;
    switch (v.typeId()) {
    case QMetaType::QDate: return v.toDate().toString(Qt::ISODate);
    case QMetaType::QTime: return zarvo::timeText(v.toTime());
    case QMetaType::Double: return v.toDouble();
    case QMetaType::LongLong: return v.toLongLong();
    default: return v.toString();
    }
}

/// A row as the file holds it, read afresh (not from any record set's snapshot).
struct StoredRow {
    QJsonObject fields;
    QString empId;
    QDate day;
};

QDate dayOf(const QVariant &v)
{
    if (v.typeId() == QMetaType::QDate)
        return v.toDate();
    const QString text = v.toString();
    for (const char *format : {"yyyy-MM-dd", "MM/dd/yyyy"}) {
        const QDate d = QDate::fromString(text, QLatin1String(format));
        if (d.isValid())
            return d;
    }
    return {};
}

StoredRow readRow(DatabaseSession &db, const QString &table, qint64 rowid)
{
    RecordSet rs;
    rs.open(db, QStringLiteral("Select * from ") + table + QStringLiteral(" where _rowid_ = ?"), {rowid});
    if (rs.eof())
        throw DbError(QStringLiteral("Row cannot be located: it was deleted meanwhile"));
    StoredRow r;
    for (const QString &f : rs.fieldNames()) {
        const QVariant v = rs.value(f);
        r.fields.insert(f, secret(table, f) ? QJsonValue(QStringLiteral("(not recorded)")) : jsonOf(v));
        if (f.compare(QLatin1String("emp_id"), Qt::CaseInsensitive) == 0)
            r.empId = v.toString();
        else if (f.compare(QLatin1String("rsdate"), Qt::CaseInsensitive) == 0 ||
                 f.compare(QLatin1String("punch_date"), Qt::CaseInsensitive) == 0)
            r.day = dayOf(v);
    }
    return r;
}

/// The table's name as the file spells it (the program's selects write some in lower case).
QString tableNamed(DatabaseSession &db, const QString &written)
{
    RecordSet rs;
    rs.open(db, QStringLiteral("Select * from sqlite_master where type = 'table' and name = ? COLLATE NOCASE"), {written});
    return rs.eof() ? written : rs.text(QStringLiteral("name"));
}

QString text(const QJsonObject &o) { return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)); }

QJsonValue orNull(const QString &s) { return s.isNull() ? QJsonValue(QJsonValue::Null) : QJsonValue(s); }

void append(DatabaseSession &db, Entry e)
{
    // The next number follows the highest ever given (kept by the file even when the last
    // entries were taken out), so a gap shows where entries went missing.
    RecordSet seq;
    seq.open(db, QStringLiteral("Select * from sqlite_sequence where name = 'change_log'"));
    RecordSet last;
    last.open(db, QStringLiteral("Select * from change_log where id = (SELECT max(id) FROM change_log)"));
    const qint64 lastId = last.eof() ? 0 : last.value(QStringLiteral("id")).toLongLong();
    e.id = std::max(seq.eof() ? 0 : seq.value(QStringLiteral("seq")).toLongLong(), lastId) + 1;
    e.prevHash = last.eof() ? kGenesis : last.text(QStringLiteral("hash"));
    e.hash = hashOf(e);

    RecordSet out;
    out.open(db, QStringLiteral("Select * from change_log where id = ?"), {e.id});
    out.addNew();
    out.setValue(QStringLiteral("id"), e.id);
    out.setValue(QStringLiteral("changed_at"), e.at.toString(kTimeFormat));
    out.setValue(QStringLiteral("window_name"), e.window);
    out.setValue(QStringLiteral("action"), e.action);
    out.setValue(QStringLiteral("table_name"), e.table);
    out.setValue(QStringLiteral("row_key"), e.key);
    out.setValue(QStringLiteral("emp_id"), e.empId.isNull() ? QVariant() : QVariant(e.empId));
    out.setValue(QStringLiteral("row_date"), e.day.isValid() ? QVariant(e.day) : QVariant());
    out.setValue(QStringLiteral("before_values"), e.before.isNull() ? QVariant() : QVariant(e.before));
    out.setValue(QStringLiteral("after_values"), e.after.isNull() ? QVariant() : QVariant(e.after));
    out.setValue(QStringLiteral("prev_hash"), e.prevHash);
    out.setValue(QStringLiteral("hash"), e.hash);
    out.update();
}

Entry draft(const QString &window, Action action, const QString &table, qint64 rowid)
{
    Entry e;
    e.at = zarvo::Clock::now();
    e.at = QDateTime(e.at.date(), QTime(e.at.time().hour(), e.at.time().minute(), e.at.time().second()));
    e.window = window;
    e.action = QString::fromLatin1(actionName(action));
    e.table = table;
    e.key = QString::number(rowid);
    return e;
}

Entry entryAt(const RecordSet &rs)
{
    Entry e;
    e.id = rs.value(QStringLiteral("id")).toLongLong();
    e.at = QDateTime::fromString(rs.text(QStringLiteral("changed_at")), kTimeFormat);
    e.window = rs.text(QStringLiteral("window_name"));
    e.action = rs.text(QStringLiteral("action"));
    e.table = rs.text(QStringLiteral("table_name"));
    e.key = rs.text(QStringLiteral("row_key"));
    const QVariant emp = rs.value(QStringLiteral("emp_id"));
    e.empId = emp.isValid() ? emp.toString() : QString();
    e.day = rs.value(QStringLiteral("row_date")).toDate();
    const QVariant before = rs.value(QStringLiteral("before_values")), after = rs.value(QStringLiteral("after_values"));
    e.before = before.isValid() ? before.toString() : QString();
    e.after = after.isValid() ? after.toString() : QString();
    e.prevHash = rs.text(QStringLiteral("prev_hash"));
    e.hash = rs.text(QStringLiteral("hash"));
    return e;
}

} // namespace

QString hashOf(const Entry &e)
{
    // The content in a form that cannot be read two ways: a JSON array, text escaped.
    const QJsonArray content{e.id,
                             e.at.toString(kTimeFormat),
                             e.window,
                             e.action,
                             e.table,
                             e.key,
                             orNull(e.empId),
                             e.day.isValid() ? QJsonValue(e.day.toString(Qt::ISODate)) : QJsonValue(QJsonValue::Null),
                             orNull(e.before),
                             orNull(e.after),
                             e.prevHash};
    const QByteArray bytes = QJsonDocument(content).toJson(QJsonDocument::Compact);
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

QString describe(const Entry &e)
{
    const QJsonObject before = QJsonDocument::fromJson(e.before.toUtf8()).object();
    const QJsonObject after = QJsonDocument::fromJson(e.after.toUtf8()).object();
    auto shown = [](const QJsonValue &v) {
        if (v.isNull() || v.isUndefined())
            return QStringLiteral("(empty)");
        return v.isDouble() ? QString::number(v.toDouble(), 'g', 15) : v.toString();
    };
    QStringList parts;
    if (!e.before.isEmpty() && !e.after.isEmpty()) {
        for (auto it = after.begin(); it != after.end(); ++it)
            if (before.value(it.key()) != it.value())
                parts << it.key() + QStringLiteral(": ") + shown(before.value(it.key())) + QStringLiteral(" -> ")
                             + shown(it.value());
        return parts.isEmpty() ? QStringLiteral("(no field changed)") : parts.join(QStringLiteral("; "));
    }
    const QJsonObject &row = e.after.isEmpty() ? before : after;
    for (auto it = row.begin(); it != row.end(); ++it)
        if (!it.value().isNull())
            parts << it.key() + QStringLiteral(": ") + shown(it.value());
    return parts.join(QStringLiteral("; "));
}

bool present(DatabaseSession &db)
{
    RecordSet rs;
    rs.open(db, QStringLiteral("Select * from sqlite_master where type = 'table' and name = 'change_log'"));
    return !rs.eof();
}

HandChange::HandChange(DatabaseSession &db, const QString &window, RecordSet &rs, Action action)
    : m_db(db), m_rs(rs), m_action(action), m_tx(std::make_unique<zarvo::Transaction>(db, std::initializer_list<RecordSet *>{&rs}))
{
    const QString table = tableNamed(db, rs.table());
    if (action == Action::Add) {
        m_entry = std::make_unique<Entry>(draft(window, action, table, 0));
        return;
    }
    const qint64 rowid = rs.bookmark();
    const StoredRow before = readRow(db, table, rowid);
    m_entry = std::make_unique<Entry>(draft(window, action, table, rowid));
    m_entry->before = text(before.fields);
    m_entry->empId = before.empId;
    m_entry->day = before.day;
}

HandChange::~HandChange() = default; // the transaction, not committed, rolls back

void HandChange::commit()
{
    Entry &e = *m_entry;
    if (m_action != Action::Delete) {
        const qint64 rowid = m_rs.bookmark();
        const StoredRow after = readRow(m_db, e.table, rowid);
        e.key = QString::number(rowid);
        e.after = text(after.fields);
        // The row as it is now is the one a reader looks for.
        e.empId = after.empId;
        e.day = after.day;
    }
    append(m_db, e);
    m_tx->commit();
}

void record(DatabaseSession &db, const QString &window, RecordSet &rs, Action action,
            const std::function<void()> &change)
{
    HandChange logged(db, window, rs, action);
    change();
    logged.commit();
}

void rowAdded(DatabaseSession &db, const QString &source, const QString &table, qint64 rowid)
{
    const StoredRow row = readRow(db, table, rowid);
    Entry e = draft(source, Action::Add, tableNamed(db, table), rowid);
    e.after = text(row.fields);
    e.empId = row.empId;
    e.day = row.day;
    append(db, e);
}

QList<Entry> entries(DatabaseSession &db, const QDate &from, const QDate &to, const QString &empId)
{
    QList<Entry> out;
    if (!present(db))
        return out;
    // Times are written "yyyy-MM-ddTHH:mm:ss": the text order is the time order.
    QString sql = QStringLiteral("Select * from change_log where changed_at >= ? and changed_at < ?");
    QVariantList params{from.toString(Qt::ISODate), to.addDays(1).toString(Qt::ISODate)};
    if (!empId.isEmpty()) {
        sql += QStringLiteral(" and emp_id = ?");
        params << empId;
    }
    RecordSet rs;
    rs.open(db, sql, params);
    for (; !rs.eof(); rs.moveNext())
        out << entryAt(rs);
    return out;
}

QSet<qint64> handChangedTimesheetRows(DatabaseSession &db, const QString &empId, const QDate &from, const QDate &to)
{
    QSet<qint64> rows;
    if (!present(db))
        return rows;
    RecordSet rs;
    rs.open(db, QStringLiteral("Select * from change_log where emp_id = ? and row_date >= ? and row_date <= ? "
                               "and table_name = 'timesheet' and action <> 'delete'"),
            {empId, from, to});
    for (; !rs.eof(); rs.moveNext())
        rows.insert(rs.text(QStringLiteral("row_key")).toLongLong());
    return rows;
}

Verdict verify(DatabaseSession &db)
{
    Verdict v;
    v.head = kGenesis;
    if (!present(db))
        return v;
    auto broken = [&v](qint64 id, const QString &problem) {
        v.intact = false;
        v.firstBad = id;
        v.problem = problem;
        return v;
    };
    RecordSet rs;
    rs.open(db, QStringLiteral("Select * from change_log"));
    qint64 expected = 1;
    for (; !rs.eof(); rs.moveNext(), ++v.entries) {
        const Entry e = entryAt(rs);
        if (e.id != expected)
            return broken(e.id, QStringLiteral("entry %1 follows entry %2: the entries between them are missing")
                                    .arg(e.id)
                                    .arg(expected - 1));
        if (hashOf(e) != e.hash)
            return broken(e.id, QStringLiteral("entry %1 does not match its hash: it was changed after it was written")
                                    .arg(e.id));
        if (e.prevHash != v.head)
            return broken(e.id, QStringLiteral("entry %1 does not follow the entry before it (its previous hash differs)")
                                    .arg(e.id));
        v.head = e.hash;
        ++expected;
    }
    RecordSet seq;
    seq.open(db, QStringLiteral("Select * from sqlite_sequence where name = 'change_log'"));
    const qint64 highest = seq.eof() ? 0 : seq.value(QStringLiteral("seq")).toLongLong();
    if (highest >= expected)
        return broken(expected, QStringLiteral("the entries from %1 to %2 are missing from the end")
                                    .arg(expected)
                                    .arg(highest));
    return v;
}

} // namespace ChangeLog
