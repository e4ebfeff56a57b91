#include "serverlayout.h"

namespace ServerLayout {

const QList<zarvo::LayoutStep> &steps()
{
    static const QList<zarvo::LayoutStep> list{
        // 1: the log of changes made by hand, chained by hashes so that an entry changed or
        // taken out is found; the program only ever adds entries. And the punches a terminal
        // replayed that could not be put into a timesheet row, kept for the administrator.
        {1, QStringLiteral(R"(
CREATE TABLE change_log (
    id            INTEGER PRIMARY KEY AUTOINCREMENT,
    changed_at    TEXT NOT NULL,
    window_name   TEXT NOT NULL,
    action        TEXT NOT NULL,
    table_name    TEXT NOT NULL,
    row_key       TEXT,
    emp_id        TEXT COLLATE NOCASE,
    row_date      DATE TEXT,
    before_values TEXT,
    after_values  TEXT,
    prev_hash     TEXT NOT NULL,
    hash          TEXT NOT NULL
);
CREATE INDEX change_log_emp_id_row_date ON change_log (emp_id, row_date);
CREATE TRIGGER change_log_kept BEFORE UPDATE ON change_log
BEGIN SELECT RAISE(ABORT, 'an entry of the change log is never changed'); END;
CREATE TRIGGER change_log_never_deleted BEFORE DELETE ON change_log
BEGIN SELECT RAISE(ABORT, 'an entry of the change log is never deleted'); END;

CREATE TABLE held_punch (
    id            INTEGER PRIMARY KEY,
    emp_id        TEXT NOT NULL,
    punch_date    TEXT NOT NULL,
    punch_time    TEXT NOT NULL,
    terminal_id   TEXT,
    terminal_name TEXT,
    address       TEXT,
    reason        TEXT,
    received_at   TEXT NOT NULL
);
)")},
    };
    return list;
}

int newest() { return zarvo::newestLayout(steps()); }

} // namespace ServerLayout
