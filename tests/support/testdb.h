#pragma once
// Fresh databases for tests, laid out from the same schema files as the delivered ones.

#include "database.h"
#include <QStringList>
#include <QTemporaryDir>

namespace zarvo::test {

/// Creates `path` as a new punched.mdb is laid out (password "pluma", admin row, the newest
/// layout version).
void createServerDatabase(const QString &path);
/// Creates `path` with the layout first delivered (schema.sql alone, layout version 0), as
/// the databases users have from before layout versions are.
void createDeliveredServerDatabase(const QString &path);
/// Creates `path` as a delivered client.mdb would be.
void createClientDatabase(const QString &path);

/// Adds an Employee row with the given ID and names (other columns Null).
void addEmployee(DatabaseSession &db, const QString &id, const QString &first, const QString &last);
/// Adds a timesheet row for `id` on `day` ("mm/dd/yyyy"): `times` are up to six time texts
/// (in1, out1, in2, out2, in3, out3), an empty one left Null.
void addTimesheetRow(DatabaseSession &db, const QString &id, const QString &day, const QStringList &times = {});

/// A temporary folder holding a fresh punched.mdb, opened.
class ServerDb {
public:
    ServerDb();
    DatabaseSession db;
    QString path;
    QTemporaryDir dir;
};

} // namespace zarvo::test
