#include "payrollruns.h"
#include "clock.h"
#include "worktables.h"
#include <QElapsedTimer>
#include <QTimer>

namespace zarvo {

QString incompletePairMessage()
{
    return QStringLiteral("Please Check the Ins and Outs of Each Employee") + QChar(13) + QChar(13) +
           QStringLiteral("Make Sure Time-Ins are Paired with Time-Outs...");
}

QString incompletePairTitle() { return QStringLiteral("Error! Incomplete Data..."); }

PayrollRun::PayrollRun(DatabaseSession &db, const PayPeriod &period, const QString &table, QObject *parent)
    : QObject(parent), m_db(db), m_period(period), m_table(table)
{
}

PayrollRun::~PayrollRun() = default;

void PayrollRun::start()
{
    QTimer::singleShot(0, this, &PayrollRun::stepOnce);
}

void PayrollRun::runToEnd()
{
    while (m_outcome == Outcome::Running)
        stepOnce();
}

void PayrollRun::stepOnce()
{
    if (m_outcome != Outcome::Running || m_stepping)
        return;
    m_stepping = true;
    bool more = false;
    try {
        more = step();
    } catch (const DbError &e) {
        // Each chunk rolled back as a whole; what was committed before stays.
        m_error = e.message();
        finish(Outcome::Failed);
    }
    m_stepping = false;
    // A millisecond's pause rather than none: a punch that arrived during the step starts its
    // own zero timer, which then runs before the next step instead of after it.
    if (more)
        QTimer::singleShot(1, Qt::PreciseTimer, this, &PayrollRun::stepOnce);
}

void PayrollRun::finish(Outcome outcome)
{
    m_clearer.reset();
    m_appender.reset();
    m_outcome = outcome;
    emit finished();
}

bool PayrollRun::clearChunk()
{
    if (!m_clearer)
        m_clearer = std::make_unique<WorkTableClearer>(m_db, m_table);
    if (!m_clearer->clearChunk())
        return false;
    m_clearer.reset();
    return true;
}

ReportHeaderCaptions reportHeaderCaptions(DatabaseSession &db, const PayPeriod &period)
{
    ReportHeaderCaptions h;
    h.Label5 = reportDate(period.from);
    h.Label6 = reportDate(period.to);
    h.Label8 = reportDate(Clock::now().date());
    try {
        h.company = lookUpCompany(db);
    } catch (const DbError &) {
        // No company header: those captions keep their design text.
    }
    return h;
}

ReportHeaderCaptions PayrollRun::headerCaptions() const { return reportHeaderCaptions(m_db, m_period); }

// ---- DetailRun ---------------------------------------------------------------------------------

DetailRun::DetailRun(DatabaseSession &db, const PayPeriod &period, std::optional<ChosenEmployee> employee,
                     QObject *parent)
    : PayrollRun(db, period, QStringLiteral("details"), parent), m_employee(std::move(employee))
{
}

bool DetailRun::step()
{
    switch (m_stage) {
    case Stage::Clearing:
        if (clearChunk())
            m_stage = Stage::Pause;
        return true;
    case Stage::Pause:
        // Pending interface events run twice after the table is emptied (no transaction open).
        if (++m_pauses >= 2)
            m_stage = Stage::Computing;
        return true;
    case Stage::Computing:
        if (m_employee) {
            if (!m_computation)
                m_computation = std::make_unique<DetailComputation>(m_db, m_employee->id, m_period);
            if (!m_computation->advance(kChunkMillis))
                return true;
            m_figures = m_computation->figures();
            m_computation.reset();
        }
        m_appender = std::make_unique<WorkTableAppender>(m_db, m_table);
        m_stage = Stage::Appending;
        return true;
    case Stage::Appending:
        if (!m_appender->appendChunk(m_figures.rows, m_written))
            return true;
        m_appender.reset();
        if (m_figures.incomplete) {
            // The rows of the pairs before it stay stored; no report.
            finish(Outcome::Incomplete);
            return false;
        }
        m_stage = Stage::Captions;
        return true;
    case Stage::Captions:
        fillCaptions();
        finish(Outcome::Report);
        return false;
    }
    return false;
}

DetailCaptions detailCaptions(DatabaseSession &db, const PayPeriod &period,
                              const std::optional<ChosenEmployee> &employee, const PayPeriodTotals &totals)
{
    DetailCaptions c;
    c.header = reportHeaderCaptions(db, period);
    c.period = period;
    if (employee)
        c.ids = QStringList{employee->id};
    const PayPeriodTotals &t = totals;
    c.Label17 = c.Label23 = generalNumber(t.regular);
    c.Label18 = c.Label24 = generalNumber(t.overtime);
    c.Label19 = c.Label25 = generalNumber(t.work);
    if (!employee)
        return c; // name, wages and per-column earnings keep their design text
    c.Label16 = employee->name;
    EmployeeFacts e;
    try {
        e = lookUpEmployee(db, employee->id);
    } catch (const DbError &) {
    }
    if (!e.found)
        return c;
    const auto wageText = [](const QVariant &w) {
        const std::optional<double> v = wageValue(w);
        return v ? generalNumber(*v) : QString(); // an empty wage shows empty
    };
    const Earnings earn = computeEarnings(t.regular, t.overtime, e.regWage, e.otWage);
    c.Label26 = wageText(e.regWage);
    c.Label27 = wageText(e.otWage);
    c.Label29 = generalNumber(earn.regular);
    c.Label30 = generalNumber(earn.overtime);
    c.Label31 = generalNumber(earn.total);
    return c;
}

void DetailRun::fillCaptions() { m_captions = detailCaptions(m_db, m_period, m_employee, m_figures.totals); }

// ---- SummaryRun --------------------------------------------------------------------------------

SummaryRun::SummaryRun(DatabaseSession &db, const PayPeriod &period, const QStringList &ids, QObject *parent)
    : PayrollRun(db, period, QStringLiteral("summary"), parent), m_ids(ids)
{
}

bool SummaryRun::step()
{
    switch (m_stage) {
    case Stage::Clearing:
        if (!clearChunk())
            return true;
        if (m_ids.isEmpty()) {
            finish(Outcome::NoReport); // nothing ticked: the table stays empty
            return false;
        }
        m_stage = Stage::Computing;
        return true;
    case Stage::Computing: {
        // Rows for about one chunk's time, then let punches through.
        QElapsedTimer clock;
        clock.start();
        while (m_rows.size() < m_ids.size() && clock.elapsed() < kChunkMillis) {
            if (!m_computation)
                m_computation = std::make_unique<SummaryComputation>(m_db, m_ids[m_rows.size()], m_period);
            if (!m_computation->advance(kChunkMillis - clock.elapsed()))
                break;
            m_rows.append(m_computation->row());
            m_computation.reset();
        }
        if (m_rows.size() == m_ids.size()) {
            m_appender = std::make_unique<WorkTableAppender>(m_db, m_table);
            m_stage = Stage::Appending;
        }
        return true;
    }
    case Stage::Appending:
        if (!m_appender->appendChunk(m_rows, m_written))
            return true;
        m_appender.reset();
        m_stage = Stage::Captions;
        return true;
    case Stage::Captions:
        m_captions.header = headerCaptions();
        m_captions.period = m_period;
        m_captions.ids = m_ids;
        finish(Outcome::Report);
        return false;
    }
    return false;
}

} // namespace zarvo
