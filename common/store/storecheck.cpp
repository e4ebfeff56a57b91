#include "storecheck.h"
#include "session.h"
#include <QFileInfo>
#include <QPointer>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <sqlite3.h>
#include <thread>

namespace zarvo {
namespace {

/// The rows of a one-column statement joined by "; " (at most `most`), or the store's error.
QString texts(sqlite3 *db, const char *sql, bool *failed = nullptr, int most = 1)
{
    sqlite3_stmt *st = nullptr;
    QStringList out;
    int rc = sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    while (rc == SQLITE_OK || rc == SQLITE_ROW) {
        rc = sqlite3_step(st);
        if (rc == SQLITE_ROW && out.size() < most)
            out << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    }
    const bool bad = rc != SQLITE_DONE;
    if (bad)
        out = QStringList{QString::fromUtf8(sqlite3_errmsg(db))};
    sqlite3_finalize(st);
    if (failed)
        *failed = bad;
    return out.join(QStringLiteral("; "));
}

qint64 number(sqlite3 *db, const char *sql) { return texts(db, sql).toLongLong(); }

QString damaged(const QString &path, const QString &what)
{
    return QStringLiteral("The database file ") + path + QStringLiteral(" is damaged: ") + what
        + QStringLiteral("\r\rRestore it from a backup, then start the server again.");
}

/// What SQLite's structure check says of a file: "" when sound.
QString wholeCheck(sqlite3 *db)
{
    bool failed = false;
    const QString result = texts(db, "PRAGMA quick_check", &failed, 3);
    return !failed && result == QLatin1String("ok") ? QString() : result.isEmpty() ? QStringLiteral("no answer") : result;
}

} // namespace

struct BackgroundStoreCheck::State {
    std::mutex mutex;
    std::condition_variable finishedCv;
    bool finished = false;
    bool abandoned = false;
    QString fault;
    QPointer<QObject> context;
    std::function<void(const QString &)> done;

    /// Posts the result to the waiting context, if any (mutex held).
    void deliver()
    {
        if (!done || abandoned || !context)
            return;
        auto callback = std::move(done);
        done = nullptr;
        QMetaObject::invokeMethod(context.data(), [callback, f = fault] { callback(f); }, Qt::QueuedConnection);
    }
};

BackgroundStoreCheck::BackgroundStoreCheck(DatabaseSession &db) : m_state(std::make_shared<State>())
{
    const QString path = StoreAccess::connection(db).path();
    const QByteArray key = StoreAccess::connection(db).key();
    // The thread owns the state with us: a check still running when we go ends on its own.
    std::thread([state = m_state, path, key] {
        sqlite3 *conn = nullptr;
        QString fault;
        if (sqlite3_open_v2(path.toUtf8().constData(), &conn, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
            fault = QString::fromUtf8(sqlite3_errmsg(conn));
        } else {
            if (!key.isEmpty())
                sqlite3_key(conn, key.constData(), int(key.size()));
            fault = wholeCheck(conn);
        }
        sqlite3_close_v2(conn);
        std::lock_guard lock(state->mutex);
        state->finished = true;
        state->fault = fault;
        state->finishedCv.notify_all();
        state->deliver();
    }).detach();
}

BackgroundStoreCheck::~BackgroundStoreCheck()
{
    std::lock_guard lock(m_state->mutex);
    m_state->abandoned = true;
    m_state->done = nullptr;
}

bool BackgroundStoreCheck::waitFor(int ms)
{
    std::unique_lock lock(m_state->mutex);
    return m_state->finishedCv.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_state->finished; });
}

QString BackgroundStoreCheck::fault() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->fault;
}

void BackgroundStoreCheck::onDone(QObject *context, std::function<void(const QString &)> done)
{
    std::lock_guard lock(m_state->mutex);
    m_state->context = context;
    m_state->done = std::move(done);
    if (m_state->finished)
        m_state->deliver();
}

QString unwritableFault(const QString &path)
{
    return QStringLiteral("The database file ") + path
        + QStringLiteral(" cannot be written (it is read-only or immutable), so no punch could be stored.")
        + QStringLiteral("\r\rMake it writable for the user who runs the server, then start the server again.");
}

StoreCheckResult checkStore(DatabaseSession &db, const QStringList &tables, int budgetMs)
{
    const Connection &connection = StoreAccess::connection(db);
    sqlite3 *h = connection.handle();
    const QString &path = connection.path();
    StoreCheckResult r;

    // A file SQLite could open only for reading (read-only, immutable, read-only file system)
    // would take no punch.
    if (sqlite3_db_readonly(h, "main") == 1 || !QFileInfo(path).isWritable()) {
        r.fault = unwritableFault(path);
        return r;
    }

    QStringList missing;
    for (const QString &t : tables) {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(h, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1 COLLATE NOCASE",
                           -1, &st, nullptr);
        const QByteArray name = t.toUtf8();
        sqlite3_bind_text(st, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(st) != SQLITE_ROW)
            missing << t;
        sqlite3_finalize(st);
    }
    if (!missing.isEmpty()) {
        r.fault = QStringLiteral("The database file ") + path + QStringLiteral(" lacks the program's tables: ")
            + missing.join(QStringLiteral(", "))
            + QStringLiteral(".\r\rIt is not a database of this program, or it has been emptied.");
        return r;
    }

    // The page count and free list must fit the file. While the write-ahead log holds pages the
    // file itself may be shorter, so the length is compared only when the log is empty.
    const qint64 pages = number(h, "PRAGMA page_count");
    const qint64 pageSize = number(h, "PRAGMA page_size");
    const qint64 freePages = number(h, "PRAGMA freelist_count");
    const QFileInfo wal(path + QStringLiteral("-wal"));
    if (pages <= 0 || pageSize <= 0 || freePages < 0 || freePages >= pages) {
        r.fault = damaged(path, QStringLiteral("its page count and free list do not agree."));
        return r;
    }
    if ((!wal.exists() || wal.size() == 0) && QFileInfo(path).size() < pages * pageSize) {
        r.fault = damaged(path, QStringLiteral("it is shorter than its own page count says (cut off)."));
        return r;
    }
    // Both ends of every table are cheap to read, whatever its size.
    for (const QString &t : tables) {
        for (const char *order : {"", " DESC"}) {
            const QByteArray sql = "SELECT * FROM \"" + t.toUtf8() + "\" ORDER BY _rowid_" + order + " LIMIT 1";
            bool failed = false;
            const QString text = texts(h, sql.constData(), &failed);
            if (failed) {
                r.fault = damaged(path, text);
                return r;
            }
        }
    }

    // The whole check, waited for as long as the start allows.
    auto whole = std::make_shared<BackgroundStoreCheck>(db);
    if (!whole->waitFor(budgetMs)) {
        r.pending = whole;
        return r;
    }
    if (!whole->fault().isEmpty())
        r.fault = damaged(path, whole->fault());
    return r;
}

} // namespace zarvo
