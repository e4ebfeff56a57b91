#pragma once
// The held list of replayed punches (table held_punch), laid out in a test's database the way
// the layout upgrade of punched.mdb lays it out, while that upgrade is not part of the build.

#include "database.h"

namespace punchtest {

inline void addHeldPunchTable(zarvo::DatabaseSession &db)
{
    db.execScript(QStringLiteral(R"(
CREATE TABLE IF NOT EXISTS held_punch (
    id            INTEGER PRIMARY KEY,
    emp_id        TEXT NOT NULL,
    punch_date    TEXT NOT NULL,
    punch_time    TEXT NOT NULL,
    terminal_id   TEXT,
    terminal_name TEXT,
    address       TEXT,
    reason        TEXT,
    received_at   TEXT NOT NULL
);)"));
}

/// The held rows as "emp_id date time reason", in the order they were added.
inline QStringList heldPunches(zarvo::DatabaseSession &db)
{
    zarvo::RecordSet rs;
    rs.open(db, QStringLiteral("Select * from held_punch"));
    QStringList out;
    for (; !rs.eof(); rs.moveNext())
        out << QStringList{rs.text("emp_id"), rs.text("punch_date"), rs.text("punch_time"), rs.text("reason")}.join(' ');
    return out;
}

} // namespace punchtest
