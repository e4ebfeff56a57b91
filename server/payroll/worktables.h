#pragma once
// Emptying and refilling the payroll work tables in bounded chunks: each chunk is one
// transaction (one durable commit, not one per row), small enough in time that punches
// arriving meanwhile are answered promptly, and committed before the caller yields to the
// event loop. Widget-free.

#include "database.h"
#include "payrolldata.h"
#include <QElapsedTimer>

namespace zarvo {

/// Time one chunk may take before it commits and lets other work run.
inline constexpr qint64 kChunkMillis = 8;

/// Deletes the rows of one work table ("details" or "summary"), chunk by chunk.
class WorkTableClearer {
public:
    WorkTableClearer(DatabaseSession &db, const QString &table);
    /// Deletes rows for about kChunkMillis in one transaction; true once the table is empty.
    /// Throws DbError: the chunk is rolled back and the clearer is of no further use.
    bool clearChunk();

private:
    DatabaseSession &m_db;
    RecordSet m_rs;
};

/// Appends rows to a work table, chunk by chunk, through one record set.
class WorkTableAppender {
public:
    WorkTableAppender(DatabaseSession &db, const QString &table);
    /// Appends rows from `next` (counted by `done`) for about kChunkMillis in one transaction;
    /// true once all rows are stored. Throws DbError: the chunk is rolled back, `done` stays
    /// at the last committed row and the appender is of no further use.
    bool appendChunk(const QList<DetailRow> &rows, qsizetype &done);
    bool appendChunk(const QList<SummaryRow> &rows, qsizetype &done);

private:
    template <class Row> bool appendRows(const QList<Row> &rows, qsizetype &done);
    void write(const DetailRow &row);
    void write(const SummaryRow &row);

    DatabaseSession &m_db;
    RecordSet m_rs;
};

} // namespace zarvo
