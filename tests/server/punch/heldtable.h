#pragma once
// The held list of replayed punches (table held_punch of punched.mdb), read back by tests.

#include "database.h"

namespace punchtest {

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
