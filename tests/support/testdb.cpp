#include "testdb.h"
#include "serverlayout.h"
#include <QFile>
#include <QTest>

namespace zarvo::test {
namespace {
QString readFile(const char *path)
{
    QFile f(QString::fromUtf8(path));
    if (!f.open(QIODevice::ReadOnly))
        qFatal("cannot read schema %s", path);
    return QString::fromUtf8(f.readAll());
}

void createFrom(const QString &path, const char *schema, const QString &password,
                const QList<LayoutStep> &steps = {})
{
    QFile::remove(path);
    DatabaseSession db;
    db.create(path, password);
    db.execScript(readFile(schema));
    applyLayoutSteps(db, steps);
}
} // namespace

void createServerDatabase(const QString &path) { createFrom(path, ZARVO_SCHEMA_FILE, "pluma", ServerLayout::steps()); }
void createDeliveredServerDatabase(const QString &path) { createFrom(path, ZARVO_SCHEMA_FILE, "pluma"); }
void createClientDatabase(const QString &path) { createFrom(path, ZARVO_CLIENT_SCHEMA_FILE, {}); }

void addEmployee(DatabaseSession &db, const QString &id, const QString &first, const QString &last)
{
    RecordSet rs;
    rs.open(db, "Select * from Employee");
    rs.addNew();
    rs.setValue("emp_id", id);
    rs.setValue("emp_fname", first);
    rs.setValue("emp_lname", last);
    rs.update();
}

void addTimesheetRow(DatabaseSession &db, const QString &id, const QString &day, const QStringList &times)
{
    RecordSet rs;
    rs.open(db, "Select * from timesheet");
    rs.addNew();
    rs.setValue("emp_id", id);
    rs.setValue("rsdate", day);
    for (int i = 0; i < times.size() && i < 6; ++i)
        if (!times[i].isEmpty())
            rs.setValue(QLatin1String(ServerLayout::TimeSlots[i]), times[i]);
    rs.update();
}

ServerDb::ServerDb()
{
    path = dir.path() + "/punched.mdb";
    createServerDatabase(path);
    db.open(path, "pluma");
}

} // namespace zarvo::test
