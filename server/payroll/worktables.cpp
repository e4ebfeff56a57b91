#include "worktables.h"

namespace zarvo {

WorkTableClearer::WorkTableClearer(DatabaseSession &db, const QString &table) : m_db(db)
{
    m_rs.open(db, QStringLiteral("Select * from ") + table);
}

bool WorkTableClearer::clearChunk()
{
    if (m_rs.eof())
        return true;
    QElapsedTimer clock;
    clock.start();
    Transaction chunk(m_db);
    while (!m_rs.eof() && clock.elapsed() < kChunkMillis) {
        m_rs.remove();
        m_rs.moveNext();
    }
    chunk.commit();
    return m_rs.eof();
}

WorkTableAppender::WorkTableAppender(DatabaseSession &db, const QString &table) : m_db(db)
{
    m_rs.open(db, QStringLiteral("Select * from ") + table);
}

template <class Row> bool WorkTableAppender::appendRows(const QList<Row> &rows, qsizetype &done)
{
    if (done >= rows.size())
        return true;
    QElapsedTimer clock;
    clock.start();
    qsizetype i = done;
    {
        Transaction chunk(m_db);
        while (i < rows.size() && clock.elapsed() < kChunkMillis) {
            m_rs.addNew();
            write(rows[i]);
            m_rs.update();
            ++i;
        }
        chunk.commit();
    }
    done = i;
    return done >= rows.size();
}

bool WorkTableAppender::appendChunk(const QList<DetailRow> &rows, qsizetype &done)
{
    return appendRows(rows, done);
}

bool WorkTableAppender::appendChunk(const QList<SummaryRow> &rows, qsizetype &done)
{
    return appendRows(rows, done);
}

void WorkTableAppender::write(const DetailRow &row)
{
    m_rs.setValue(QStringLiteral("emp_id"), row.empId);
    m_rs.setValue(QStringLiteral("rsdate"), row.rsdate);
    m_rs.setValue(QStringLiteral("in1"), row.timeIn);
    m_rs.setValue(QStringLiteral("out1"), row.timeOut);
    m_rs.setValue(QStringLiteral("work_hours"), row.hours.work);
    m_rs.setValue(QStringLiteral("regular"), row.hours.regular);
    m_rs.setValue(QStringLiteral("rsot"), row.hours.overtime);
}

void WorkTableAppender::write(const SummaryRow &row)
{
    m_rs.setValue(QStringLiteral("emp_id"), row.empId);
    m_rs.setValue(QStringLiteral("emp_name"), row.empName);
    m_rs.setValue(QStringLiteral("work_hours"), row.totals.work);
    m_rs.setValue(QStringLiteral("wage"), row.wage);
    m_rs.setValue(QStringLiteral("ot_wage"), row.otWage);
    m_rs.setValue(QStringLiteral("regular"), row.totals.regular);
    m_rs.setValue(QStringLiteral("ot"), row.totals.overtime);
    m_rs.setValue(QStringLiteral("reg_earnings"), row.earnings.regular);
    m_rs.setValue(QStringLiteral("ot_earnings"), row.earnings.overtime);
    m_rs.setValue(QStringLiteral("tot_earnings"), row.earnings.total);
}

} // namespace zarvo
