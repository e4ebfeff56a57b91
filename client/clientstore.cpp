#include "clientstore.h"
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <sqlite3.h>

using zarvo::DatabaseSession;
using zarvo::DbError;
using zarvo::RecordSet;

namespace ClientLayout {

const QList<QPair<int, QString>> &steps()
{
    static const QList<QPair<int, QString>> list{
        // 1: punches typed while the server was away, and who this terminal is.
        {1, QStringLiteral(R"(
CREATE TABLE pending_punch (
    id        INTEGER PRIMARY KEY,
    emp_id    TEXT NOT NULL,
    typed_ms  INTEGER NOT NULL,
    offset_ms INTEGER NOT NULL
);
CREATE TABLE terminal_identity (
    terminal_id TEXT NOT NULL,
    host_name   TEXT,
    offset_ms   INTEGER NOT NULL DEFAULT 0
);
)")},
    };
    return list;
}

int newest()
{
    int v = 0;
    for (const auto &s : steps())
        v = std::max(v, s.first);
    return v;
}

int version(DatabaseSession &db)
{
    if (!db.isOpen())
        throw DbError(QStringLiteral("The database is not open"));
    int v = 0;
    const auto take = [](void *out, int, char **values, char **) {
        *static_cast<int *>(out) = values[0] ? std::atoi(values[0]) : 0;
        return 0;
    };
    if (sqlite3_exec(db.handle(), "PRAGMA user_version", take, &v, nullptr) != SQLITE_OK)
        throw DbError(QString::fromUtf8(sqlite3_errmsg(db.handle())));
    return v;
}

void applySteps(DatabaseSession &db, int upTo)
{
    const int from = version(db);
    const int to = upTo < 0 ? newest() : upTo;
    if (to <= from)
        return;
    zarvo::Transaction tx(db);
    for (int v = from + 1; v <= to; ++v)
        for (const auto &s : steps())
            if (s.first == v)
                db.execScript(s.second);
    db.execScript(QStringLiteral("PRAGMA user_version = %1").arg(to));
    tx.commit();
}

namespace {
/// A complete copy of the open file through the store's online backup, checked by reading it
/// back; nothing is left at `target` when it fails.
void copyTo(DatabaseSession &db, const QString &target)
{
    sqlite3 *copy = nullptr;
    const QByteArray name = QFile::encodeName(target);
    int rc = sqlite3_open_v2(name.constData(), &copy, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_backup *b = sqlite3_backup_init(copy, "main", db.handle(), "main");
        rc = b ? sqlite3_backup_step(b, -1) : sqlite3_errcode(copy);
        if (b)
            sqlite3_backup_finish(b);
        if (rc == SQLITE_DONE)
            rc = sqlite3_exec(copy, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    }
    const QString why = QString::fromUtf8(copy ? sqlite3_errmsg(copy) : "out of memory");
    sqlite3_close_v2(copy);
    if (rc != SQLITE_OK) {
        QFile::remove(target);
        throw DbError(why);
    }
}
} // namespace

QString upgrade(DatabaseSession &db, const QString &path)
{
    const int from = version(db);
    if (from > newest())
        throw DbError(QStringLiteral("%1 has layout version %2, newer than this program knows (%3). It was not "
                                     "changed: use the newer program that wrote it.")
                          .arg(path)
                          .arg(from)
                          .arg(newest()));
    if (from == newest())
        return {};
    // A complete, consistent copy first (the log included), under a name no file has yet.
    QString copy = path + QStringLiteral(".before-layout-%1").arg(newest());
    for (int n = 2; QFileInfo::exists(copy); ++n)
        copy = path + QStringLiteral(".before-layout-%1-%2").arg(newest()).arg(n);
    try {
        copyTo(db, copy);
    } catch (const DbError &e) {
        throw DbError(QStringLiteral("%1 could not be brought up to date: no copy of it could be made first (%2). "
                                     "It was left as it was.").arg(path, e.message()));
    }
    try {
        applySteps(db);
    } catch (const DbError &e) {
        throw DbError(QStringLiteral("%1 could not be brought up to date (%2). It was left as it was; the copy "
                                     "taken before is %3.").arg(path, e.message(), copy));
    }
    return copy;
}

} // namespace ClientLayout

namespace zarvo {

qint64 KeptPunches::add(const QString &employeeId, qint64 typedMs, qint64 offsetMs)
{
    RecordSet rs;
    rs.open(m_db, QStringLiteral("Select * from pending_punch where id = ?"), {-1});
    rs.addNew();
    rs.setValue(QStringLiteral("emp_id"), employeeId);
    rs.setValue(QStringLiteral("typed_ms"), typedMs);
    rs.setValue(QStringLiteral("offset_ms"), offsetMs);
    rs.update();
    return rs.bookmark();
}

void KeptPunches::remove(qint64 id)
{
    RecordSet rs;
    rs.open(m_db, QStringLiteral("Select * from pending_punch where id = ?"), {id});
    if (rs.recordCount() > 0)
        rs.remove();
}

QList<KeptPunch> KeptPunches::oldest(int limit, qint64 after)
{
    RecordSet rs;
    rs.open(m_db, QStringLiteral("Select * from pending_punch where id > ?"), {after});
    QList<KeptPunch> out;
    for (; !rs.eof() && out.size() < limit; rs.moveNext())
        out.append({rs.value(QStringLiteral("id")).toLongLong(), rs.text(QStringLiteral("emp_id")),
                    rs.value(QStringLiteral("typed_ms")).toLongLong(), rs.value(QStringLiteral("offset_ms")).toLongLong()});
    return out;
}

int KeptPunches::count() { return int(m_db.countRows(QStringLiteral("pending_punch"))); }

TerminalIdentity loadTerminalIdentity(DatabaseSession &db, const QString &hostName)
{
    RecordSet rs;
    rs.open(db, QStringLiteral("Select * from terminal_identity"));
    if (rs.recordCount() > 0) {
        rs.moveFirst();
        if (rs.text(QStringLiteral("host_name")) == hostName && rs.text(QStringLiteral("terminal_id")).size() == 32)
            return {rs.text(QStringLiteral("terminal_id")), rs.value(QStringLiteral("offset_ms")).toLongLong()};
    } else {
        rs.addNew();
    }
    QString id;
    for (int i = 0; i < 4; ++i)
        id += QStringLiteral("%1").arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'));
    rs.setValue(QStringLiteral("terminal_id"), id);
    rs.setValue(QStringLiteral("host_name"), hostName);
    rs.setValue(QStringLiteral("offset_ms"), 0);
    rs.update();
    return {id, 0};
}

void saveClockOffset(DatabaseSession &db, qint64 offsetMs)
{
    RecordSet rs;
    rs.open(db, QStringLiteral("Select * from terminal_identity"));
    if (rs.recordCount() == 0)
        return;
    rs.moveFirst();
    rs.setValue(QStringLiteral("offset_ms"), offsetMs);
    rs.update();
}

} // namespace zarvo
