#include "clientstore.h"
#include "clock.h"
#include <QRandomGenerator>

using zarvo::DatabaseSession;
using zarvo::DbError;
using zarvo::RecordSet;

namespace ClientLayout {

const QList<zarvo::LayoutStep> &steps()
{
    static const QList<zarvo::LayoutStep> list{
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

int newest() { return zarvo::newestLayout(steps()); }

QString upgrade(DatabaseSession &db, const QString &path)
{
    return zarvo::upgradeLayout(db, path, QString(), steps(), zarvo::Clock::now()).backup;
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
