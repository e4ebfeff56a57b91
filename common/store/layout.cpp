#include "layout.h"
#include "session.h"
#include "writeback.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <sqlite3.h>

namespace zarvo {

int newestLayout(const QList<LayoutStep> &steps)
{
    int newest = 0;
    for (const LayoutStep &s : steps)
        newest = std::max(newest, s.version);
    return newest;
}

int layoutVersion(DatabaseSession &db)
{
    Statement st(StoreAccess::session(db)->statements(), QStringLiteral("PRAGMA user_version"));
    return st.step() ? sqlite3_column_int(st.get(), 0) : 0;
}

void applyLayoutSteps(DatabaseSession &db, const QList<LayoutStep> &steps, int upTo)
{
    const int from = layoutVersion(db);
    const int to = upTo < 0 ? newestLayout(steps) : upTo;
    if (to <= from)
        return;
    Transaction tx(db);
    for (int v = from + 1; v <= to; ++v)
        for (const LayoutStep &s : steps)
            if (s.version == v)
                db.execScript(s.sql);
    db.execScript(QStringLiteral("PRAGMA user_version = %1").arg(to));
    tx.commit();
}

namespace {

/// The store's message for `conn`, then closes it.
[[noreturn]] void failWith(sqlite3 *conn, const QString &what)
{
    const QString text = what + QStringLiteral(": ") + QString::fromUtf8(conn ? sqlite3_errmsg(conn) : "out of memory");
    throw DbError(text);
}

struct PlainConnection {
    sqlite3 *db = nullptr;
    ~PlainConnection() { sqlite3_close_v2(db); }
    void open(const QString &path, int flags, const QByteArray &key, const QString &what)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr) != SQLITE_OK)
            failWith(db, what);
        if (!key.isEmpty() && sqlite3_key(db, key.constData(), int(key.size())) != SQLITE_OK)
            failWith(db, what);
        sqlite3_busy_timeout(db, 5000);
    }
};

/// The quick structure check of a copy: "" when sound.
QString checkCopy(const QString &path, const QByteArray &key)
{
    PlainConnection c;
    c.open(path, SQLITE_OPEN_READONLY, key, QStringLiteral("the copy cannot be opened"));
    sqlite3_stmt *st = nullptr;
    QString answer;
    if (sqlite3_prepare_v2(c.db, "PRAGMA quick_check", -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        answer = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    else
        answer = QString::fromUtf8(sqlite3_errmsg(c.db));
    sqlite3_finalize(st);
    return answer == QLatin1String("ok") ? QString() : answer;
}

} // namespace

void copyDatabase(const QString &sourcePath, const QString &password, const QString &target)
{
    const QByteArray key = password.toUtf8();
    const QString partial = target + QStringLiteral(".partial");
    for (const char *suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(partial + QLatin1String(suffix)); // a copy an earlier attempt left unfinished
    try {
        {
            PlainConnection source, copy;
            source.open(sourcePath, SQLITE_OPEN_READONLY, key, QStringLiteral("cannot read ") + sourcePath);
            copy.open(partial, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, key, QStringLiteral("cannot write ") + partial);
            const SteadyWriteBack writeOut(partial);
            sqlite3_backup *b = sqlite3_backup_init(copy.db, "main", source.db, "main");
            if (!b)
                failWith(copy.db, QStringLiteral("cannot copy ") + sourcePath);
            // All pages in one step: one read snapshot from start to end, which in the
            // write-ahead log mode holds up no writer (other connections go on writing).
            const int rc = sqlite3_backup_step(b, -1);
            sqlite3_backup_finish(b);
            if (rc != SQLITE_DONE)
                failWith(copy.db, QStringLiteral("cannot copy ") + sourcePath + QStringLiteral(" to ") + partial);
            // The copy took the file's write-ahead log mode with its pages: a copy is one file
            // on its own, readable without a log beside it.
            if (sqlite3_exec(copy.db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr) != SQLITE_OK)
                failWith(copy.db, QStringLiteral("cannot finish ") + partial);
        }
        const QString fault = checkCopy(partial, key);
        if (!fault.isEmpty())
            throw DbError(QStringLiteral("the copy %1 does not pass the structure check: %2").arg(partial, fault));
        if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(target).constData()) != 0)
            throw DbError(QStringLiteral("cannot name the copy %1").arg(target));
    } catch (...) {
        for (const char *suffix : {"", "-journal", "-wal", "-shm"})
            QFile::remove(partial + QLatin1String(suffix));
        throw;
    }
}

QString backupsFolderOf(const QString &databasePath)
{
    return QFileInfo(databasePath).absolutePath() + QStringLiteral("/backups");
}

QString newerLayoutFault(const QString &path, int version, int newest)
{
    return QStringLiteral("The database file %1 has layout version %2, newer than this program knows (%3). "
                          "It was not changed.\r\rUse the newer program that wrote it, or restore an older "
                          "copy of the file.")
        .arg(path)
        .arg(version)
        .arg(newest);
}

LayoutUpgrade upgradeLayout(DatabaseSession &db, const QString &path, const QString &password,
                            const QList<LayoutStep> &steps, const QDateTime &now)
{
    LayoutUpgrade r;
    r.from = r.to = layoutVersion(db);
    const int newest = newestLayout(steps);
    if (r.from > newest)
        throw DbError(newerLayoutFault(path, r.from, newest));
    if (r.from == newest)
        return r;
    const QString folder = backupsFolderOf(path);
    const QString base = QFileInfo(path).completeBaseName();
    const QString suffix = QFileInfo(path).suffix();
    r.backup = QStringLiteral("%1/%2-before-layout-%3-%4.%5")
                   .arg(folder, base)
                   .arg(newest)
                   .arg(now.toString(QStringLiteral("yyyy-MM-dd-HHmmss")), suffix);
    const QString failed = QStringLiteral("The database file %1 could not be brought up to layout version %2: ")
                               .arg(path)
                               .arg(newest);
    try {
        if (!QDir().mkpath(folder))
            throw DbError(QStringLiteral("cannot make the folder ") + folder);
        copyDatabase(path, password, r.backup);
    } catch (const DbError &e) {
        throw DbError(failed + QStringLiteral("no copy of it could be made first (") + e.message()
                      + QStringLiteral("). It was left exactly as it was."));
    }
    try {
        applyLayoutSteps(db, steps, newest);
    } catch (const DbError &e) {
        throw DbError(failed + e.message() + QStringLiteral(". It was left exactly as it was; a copy taken before ")
                      + QStringLiteral("the attempt is ") + r.backup + QLatin1Char('.'));
    }
    r.to = newest;
    return r;
}

} // namespace zarvo
