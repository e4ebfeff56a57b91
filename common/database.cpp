#include "database.h"
#include "snapshot.h"
#include <QDate>
#include <QLocale>
#include <QTime>
#include <algorithm>
#include <atomic>
#include <thread>
#include <cmath>
#include <sqlite3.h>

namespace zarvo {

DbError::DbError(const QString &message)
    : std::runtime_error(message.toStdString()), m_message(message)
{
}

void throwStoreError(sqlite3 *db, const QString &context)
{
    QString text = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
    if (!context.isEmpty())
        text += QStringLiteral(" (") + context + QLatin1Char(')');
    throw DbError(text);
}

// ---- Statement -------------------------------------------------------------------------------

Statement::Statement(SessionImpl &session, const QString &sql)
    : m_session(session), m_db(session.db), m_sql(sql)
{
    auto pool = session.idleStatements.find(sql);
    if (pool != session.idleStatements.end() && !pool->second.empty()) {
        m_stmt = pool->second.back();
        pool->second.pop_back();
        return;
    }
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &m_stmt, nullptr) != SQLITE_OK)
        throwStoreError(m_db);
}

Statement::~Statement()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
    // Keep a few idle statements per text, for a bounded number of texts (the SQL of the
    // program's windows is a fixed set; UPDATE texts vary with the fields written).
    constexpr size_t kPerText = 4, kTexts = 512;
    auto &pools = m_session.idleStatements;
    if (pools.size() < kTexts || pools.count(m_sql)) {
        auto &pool = pools[m_sql];
        if (pool.size() < kPerText) {
            pool.push_back(m_stmt);
            return;
        }
    }
    sqlite3_finalize(m_stmt);
}

void Statement::bind(int index, const QVariant &value)
{
    int rc = SQLITE_OK;
    if (!value.isValid() || value.isNull()) {
        rc = sqlite3_bind_null(m_stmt, index);
    } else {
        switch (value.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(m_stmt, index, value.toDouble());
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Bool:
            rc = sqlite3_bind_int64(m_stmt, index, value.toLongLong());
            break;
        case QMetaType::QDate:
            rc = sqlite3_bind_text(m_stmt, index, value.toDate().toString(Qt::ISODate).toUtf8().constData(),
                                   -1, SQLITE_TRANSIENT);
            break;
        case QMetaType::QTime: {
            const QByteArray t = value.toTime().toString(QStringLiteral("HH:mm:ss")).toUtf8();
            rc = sqlite3_bind_text(m_stmt, index, t.constData(), int(t.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray t = value.toString().toUtf8();
            rc = sqlite3_bind_text(m_stmt, index, t.constData(), int(t.size()), SQLITE_TRANSIENT);
            break;
        }
        }
    }
    if (rc != SQLITE_OK)
        throwStoreError(m_db);
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    throwStoreError(m_db);
}

// ---- Conversions ------------------------------------------------------------------------------

LogicalType typeOfDeclared(const char *declared)
{
    const QByteArray d = QByteArray(declared ? declared : "").trimmed().toUpper();
    if (d.startsWith("DATE"))
        return LogicalType::Date;
    if (d.startsWith("TIME"))
        return LogicalType::Time;
    if (d.startsWith("INT"))
        return LogicalType::Integer;
    if (d.startsWith("DOUBLE") || d.startsWith("REAL") || d.startsWith("NUM") || d.startsWith("FLOAT"))
        return LogicalType::Number;
    return LogicalType::Text;
}

static QString describe(const QVariant &v)
{
    return QStringLiteral("\"") + v.toString() + QStringLiteral("\"");
}

static QDate parseDate(const QString &text)
{
    const QString t = text.trimmed();
    for (const char *format : {"MM/dd/yyyy", "M/d/yyyy", "yyyy-MM-dd"}) {
        const QDate d = QDate::fromString(t, QLatin1String(format));
        if (d.isValid())
            return d;
    }
    return {};
}

static QTime parseTime(const QString &text)
{
    const QString t = text.trimmed();
    for (const char *format : {"HH:mm:ss", "H:mm:ss", "H:m:s", "HH:mm", "H:mm"}) {
        const QTime time = QTime::fromString(t, QLatin1String(format));
        if (time.isValid())
            return time;
    }
    return {};
}

QVariant toStored(const QVariant &value, LogicalType type, const QString &field)
{
    if (!value.isValid() || value.isNull())
        return {};
    const int id = value.typeId();
    const bool isText = id == QMetaType::QString || id == QMetaType::QByteArray;
    switch (type) {
    case LogicalType::Text:
        if (id == QMetaType::QDate)
            return dayText(value.toDate());
        if (id == QMetaType::QTime)
            return timeText(value.toTime());
        return value.toString();
    case LogicalType::Date: {
        QDate d;
        if (id == QMetaType::QDate)
            d = value.toDate();
        else if (id == QMetaType::QDateTime)
            d = value.toDateTime().date();
        else if (isText)
            d = parseDate(value.toString());
        if (!d.isValid())
            throw DbError(QStringLiteral("%1 is not a date (mm/dd/yyyy) for the field %2")
                              .arg(describe(value), field));
        return d.toString(Qt::ISODate);
    }
    case LogicalType::Time: {
        QTime t;
        if (id == QMetaType::QTime)
            t = value.toTime();
        else if (id == QMetaType::QDateTime)
            t = value.toDateTime().time();
        else if (isText)
            t = parseTime(value.toString());
        if (!t.isValid())
            throw DbError(QStringLiteral("%1 is not a time (hh:mm:ss) for the field %2")
                              .arg(describe(value), field));
        return t.toString(QStringLiteral("HH:mm:ss"));
    }
    case LogicalType::Number: {
        bool ok = false;
        const double d = isText ? QLocale::c().toDouble(value.toString().trimmed(), &ok)
                                : value.toDouble(&ok);
        if (!ok || !std::isfinite(d))
            throw DbError(QStringLiteral("%1 is not a number for the field %2").arg(describe(value), field));
        return d;
    }
    case LogicalType::Integer: {
        bool ok = false;
        qlonglong n = 0;
        if (isText) {
            n = value.toString().trimmed().toLongLong(&ok);
        } else if (id == QMetaType::Double || id == QMetaType::Float) {
            const double d = value.toDouble();
            ok = std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 9.0e18;
            n = qlonglong(d);
        } else {
            n = value.toLongLong(&ok);
        }
        if (!ok)
            throw DbError(QStringLiteral("%1 is not a whole number for the field %2")
                              .arg(describe(value), field));
        return n;
    }
    }
    return {};
}

QVariant fromStored(sqlite3_stmt *stmt, int column, LogicalType type)
{
    const int storage = sqlite3_column_type(stmt, column);
    if (storage == SQLITE_NULL)
        return {};
    if (storage == SQLITE_INTEGER && type != LogicalType::Number)
        return qlonglong(sqlite3_column_int64(stmt, column));
    if (storage == SQLITE_FLOAT || (storage == SQLITE_INTEGER && type == LogicalType::Number))
        return sqlite3_column_double(stmt, column);
    const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(stmt, column));
    const int size = sqlite3_column_bytes(stmt, column);
    // Dates and times are stored in one fixed form each; reading them by hand is many times
    // faster than Qt's format parser, which matters when a window walks a whole timesheet.
    const auto digits = [bytes](int at, int count) {
        int n = 0;
        for (int i = at; i < at + count; ++i) {
            if (bytes[i] < '0' || bytes[i] > '9')
                return -1;
            n = n * 10 + (bytes[i] - '0');
        }
        return n;
    };
    if (type == LogicalType::Date && size == 10 && bytes[4] == '-' && bytes[7] == '-') {
        const QDate d(digits(0, 4), digits(5, 2), digits(8, 2));
        if (d.isValid())
            return d;
    }
    if (type == LogicalType::Time && size == 8 && bytes[2] == ':' && bytes[5] == ':') {
        const QTime t(digits(0, 2), digits(3, 2), digits(6, 2));
        if (t.isValid())
            return t;
    }
    return QString::fromUtf8(bytes, size);
}

QString dayText(const QDate &date) { return date.toString(QStringLiteral("MM/dd/yyyy")); }
QString timeText(const QTime &time) { return time.toString(QStringLiteral("HH:mm:ss")); }

// ---- DatabaseSession --------------------------------------------------------------------------

void SessionImpl::forgetPrepared()
{
    for (auto &[sql, pool] : idleStatements)
        for (sqlite3_stmt *st : pool)
            sqlite3_finalize(st);
    idleStatements.clear();
    shapes.clear();
}

SessionImpl::~SessionImpl()
{
    finishPrewarm(true, false);
    forgetPrepared();
    if (db)
        sqlite3_close_v2(db);
}

void SessionImpl::beforeWrite(const QString &tableLower, qint64 rowid, const Snapshot *writer)
{
    for (Snapshot *other : live) {
        if (other != writer && other->tableLower == tableLower && other->contains(rowid) &&
            !other->pinned.count(rowid))
            other->pin(rowid);
    }
}

struct SessionImpl::Prewarm {
    sqlite3 *db = nullptr;
    std::thread thread;
    std::atomic<bool> done{false};
    std::vector<QString> tables;
    std::vector<std::vector<qint64>> rows; // per table, written by the thread only
    bool ok = true;
};

void SessionImpl::startPrewarm()
{
    auto p = std::make_unique<Prewarm>();
    if (sqlite3_open_v2(path.toUtf8().constData(), &p->db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(p->db);
        return;
    }
    if (!key.isEmpty())
        sqlite3_key(p->db, key.constData(), int(key.size()));
    // The read snapshot starts with the first read inside BEGIN: from here on, this
    // connection's writes are logged.
    sqlite3_stmt *st = nullptr;
    if (sqlite3_exec(p->db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(p->db, "SELECT name FROM sqlite_master WHERE type = 'table'", -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(p->db);
        return;
    }
    while (sqlite3_step(st) == SQLITE_ROW)
        p->tables.push_back(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))));
    sqlite3_finalize(st);
    p->rows.resize(p->tables.size());
    Prewarm *raw = p.get();
    p->thread = std::thread([raw] {
        for (size_t i = 0; i < raw->tables.size() && raw->ok; ++i) {
            sqlite3_stmt *q = nullptr;
            const QByteArray sql = "SELECT _rowid_ FROM \"" + raw->tables[i].toUtf8() + "\" ORDER BY _rowid_";
            if (sqlite3_prepare_v2(raw->db, sql.constData(), -1, &q, nullptr) != SQLITE_OK) {
                raw->ok = false;
                break;
            }
            int rc;
            while ((rc = sqlite3_step(q)) == SQLITE_ROW)
                raw->rows[i].push_back(sqlite3_column_int64(q, 0));
            raw->ok = raw->ok && rc == SQLITE_DONE;
            sqlite3_finalize(q);
        }
        sqlite3_exec(raw->db, "COMMIT", nullptr, nullptr, nullptr);
        raw->done = true;
    });
    prewarm = std::move(p);
}

void SessionImpl::finishPrewarm(bool wait, bool keep)
{
    if (!prewarm || (!wait && !prewarm->done))
        return;
    const std::unique_ptr<Prewarm> p = std::move(prewarm);
    const auto log = std::move(prewarmLog);
    prewarmLog.clear();
    if (!keep)
        sqlite3_interrupt(p->db);
    p->thread.join();
    sqlite3_close_v2(p->db);
    if (!keep || !p->ok)
        return;
    for (size_t i = 0; i < p->tables.size(); ++i) {
        const QString t = p->tables[i].toLower();
        if (!tableRows.count(t))
            tableRows[t] = std::move(p->rows[i]);
    }
    // Replay what this connection did since the listing's snapshot began.
    for (const auto &[table, rowid, added] : log) {
        if (added)
            rowAdded(table, rowid);
        else
            rowDeleted(table, rowid);
    }
}

void SessionImpl::forgetTableRows()
{
    finishPrewarm(true, false);
    tableRows.clear();
}

void SessionImpl::rowAdded(const QString &tableLower, qint64 rowid)
{
    if (prewarm) { // replayed over the listing when it is taken in
        prewarmLog.emplace_back(tableLower, rowid, true);
        finishPrewarm(false);
        return;
    }
    const auto t = tableRows.find(tableLower);
    if (t == tableRows.end())
        return;
    auto &ids = t->second;
    ids.insert(std::upper_bound(ids.begin(), ids.end(), rowid), rowid);
}

void SessionImpl::rowDeleted(const QString &tableLower, qint64 rowid)
{
    if (prewarm) {
        prewarmLog.emplace_back(tableLower, rowid, false);
        finishPrewarm(false);
        return;
    }
    const auto t = tableRows.find(tableLower);
    if (t == tableRows.end())
        return;
    auto &ids = t->second;
    const auto it = std::lower_bound(ids.begin(), ids.end(), rowid);
    if (it != ids.end() && *it == rowid)
        ids.erase(it);
}

DatabaseSession::DatabaseSession() = default;
DatabaseSession::~DatabaseSession() = default;

// Text "=" ignores the case of every letter, not only A to Z: "MÜLLER" finds "Müller". The
// store's own NOCASE folds ASCII alone, so every connection replaces it with this one (indexes
// on NOCASE columns are built by connections that have it too, the delivered file included).
static int compareIgnoringCase(void *, int size1, const void *text1, int size2, const void *text2)
{
    const auto *a = static_cast<const unsigned char *>(text1);
    const auto *b = static_cast<const unsigned char *>(text2);
    const int common = std::min(size1, size2);
    for (int i = 0; i < common; ++i) {
        if (a[i] >= 0x80 || b[i] >= 0x80) {
            const QString x = QString::fromUtf8(reinterpret_cast<const char *>(a), size1);
            const QString y = QString::fromUtf8(reinterpret_cast<const char *>(b), size2);
            return x.compare(y, Qt::CaseInsensitive);
        }
        const int ca = (a[i] >= 'A' && a[i] <= 'Z') ? a[i] + 32 : a[i];
        const int cb = (b[i] >= 'A' && b[i] <= 'Z') ? b[i] + 32 : b[i];
        if (ca != cb)
            return ca - cb;
    }
    // One is a prefix of the other; its remaining bytes may still be non-ASCII.
    for (int i = common; i < std::max(size1, size2); ++i) {
        if ((i < size1 && a[i] >= 0x80) || (i < size2 && b[i] >= 0x80)) {
            const QString x = QString::fromUtf8(reinterpret_cast<const char *>(a), size1);
            const QString y = QString::fromUtf8(reinterpret_cast<const char *>(b), size2);
            return x.compare(y, Qt::CaseInsensitive);
        }
    }
    return size1 - size2;
}

static void openFile(std::shared_ptr<SessionImpl> &d, const QString &path, const QString &password,
                     bool create)
{
    auto impl = std::make_shared<SessionImpl>();
    impl->path = path;
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(path.toUtf8().constData(), &impl->db, flags, nullptr) != SQLITE_OK)
        throwStoreError(impl->db, path);
    impl->key = password.toUtf8();
    if (!password.isEmpty() && sqlite3_key(impl->db, impl->key.constData(), int(impl->key.size())) != SQLITE_OK)
        throwStoreError(impl->db, path);
    sqlite3_busy_timeout(impl->db, 5000);
    if (sqlite3_create_collation_v2(impl->db, "NOCASE", SQLITE_UTF8, nullptr, compareIgnoringCase, nullptr) != SQLITE_OK)
        throwStoreError(impl->db, path);
    // A wrong password or a file that is no database only shows at the first read.
    if (sqlite3_exec(impl->db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) != SQLITE_OK)
        throwStoreError(impl->db, path);
    // Every write is durable when it returns: the write-ahead log, synced at each commit.
    for (const char *pragma : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=FULL",
                               "PRAGMA cache_size=-262144", "PRAGMA temp_store=MEMORY"}) {
        if (sqlite3_exec(impl->db, pragma, nullptr, nullptr, nullptr) != SQLITE_OK)
            throwStoreError(impl->db, path);
    }
    d = std::move(impl);
}

void DatabaseSession::open(const QString &path, const QString &password)
{
    close();
    openFile(d, path, password, false);
}

void DatabaseSession::create(const QString &path, const QString &password)
{
    close();
    openFile(d, path, password, true);
}

void DatabaseSession::prewarm()
{
    if (d && d->db && !d->prewarm)
        d->startPrewarm();
}

bool DatabaseSession::isOpen() const { return d && d->db; }

void DatabaseSession::close()
{
    // Record sets still open keep the connection alive through their shared pointer.
    d.reset();
}

sqlite3 *DatabaseSession::handle() const { return d ? d->db : nullptr; }

static sqlite3 *requireOpen(const std::shared_ptr<SessionImpl> &d)
{
    if (!d || !d->db)
        throw DbError(QStringLiteral("The database is not open"));
    return d->db;
}

void DatabaseSession::execScript(const QString &sql)
{
    sqlite3 *db = requireOpen(d);
    d->forgetTableRows();
    d->forgetPrepared();
    char *error = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString text = QString::fromUtf8(error ? error : sqlite3_errmsg(db));
        sqlite3_free(error);
        throw DbError(text);
    }
}

qint64 DatabaseSession::countRows(const QString &table)
{
    requireOpen(d);
    Statement st(*d, QStringLiteral("SELECT count(*) FROM \"%1\"").arg(QString(table).remove('"')));
    st.step();
    return sqlite3_column_int64(st.get(), 0);
}

// ---- Transaction ------------------------------------------------------------------------------

Transaction::Transaction(DatabaseSession &db) : m_db(db)
{
    if (sqlite3_exec(requireOpen(db.impl()), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        throwStoreError(db.handle());
}

Transaction::~Transaction()
{
    if (m_open && m_db.handle()) {
        sqlite3_exec(m_db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        m_db.impl()->forgetTableRows();
    }
}

void Transaction::commit()
{
    if (sqlite3_exec(m_db.handle(), "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        throwStoreError(m_db.handle());
    m_open = false;
}

// ---- RecordSet --------------------------------------------------------------------------------

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

} // namespace zarvo
