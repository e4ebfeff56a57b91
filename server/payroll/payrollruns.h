#pragma once
// The two payroll runs of the server: each empties its work table, fills it with the period's
// figures and works out the run-time captions of its report. A run goes step by step on the
// event loop; every step is bounded in time and commits before the next event-loop turn, so
// punches sharing the connection are answered while a large run is being built.
// Widget-free.

#include "payrolldata.h"
#include <QObject>
#include <QStringList>
#include <memory>
#include <optional>

namespace zarvo {

class WorkTableAppender;
class WorkTableClearer;

/// Captions of a report header: the period, today's date and the company.
struct ReportHeaderCaptions {
    QString Label5; ///< start date, "dd-MMM-yyyy"
    QString Label6; ///< end date
    QString Label8; ///< today's date
    /// Company title (lblCompany), address (lblAddress, two lines), phone (lblContact) and the
    /// logo file for Image1; `found` false leaves them all unset (no company row).
    CompanyFacts company;
};

/// Run-time captions of the detailed report. An unset optional keeps the design's own text.
struct DetailCaptions {
    ReportHeaderCaptions header;
    std::optional<QString> Label16; ///< the chosen employee's list text
    // Report footer: the period totals, twice ("Work week totals", "Pay Period Hours").
    QString Label17, Label18, Label19; ///< regular, overtime, work
    QString Label23, Label24, Label25; ///< regular, overtime, work
    std::optional<QString> Label26, Label27; ///< reg_wage, ot_wage ("" for an empty wage)
    std::optional<QString> Label29, Label30; ///< regular and overtime earnings
    QString Label31 = QStringLiteral("0");   ///< total earnings
    /// The run's period and employee (none when none was ticked): the preview lists the pairs
    /// and rows of the period that need a look.
    PayPeriod period;
    QStringList ids;
};

/// Run-time captions of the summary report (its numbers come from the `summary` rows).
struct SummaryCaptions {
    ReportHeaderCaptions header;
    /// The run's period and ticked IDs: the preview lists the pairs they leave out.
    PayPeriod period;
    QStringList ids;
};


/// The employee the detailed run reports: the first ticked list item.
struct ChosenEmployee {
    QString id;   ///< the item's "Employee ID"
    QString name; ///< the item's text, printed as the name
};

/// Header captions of a report over `period`: the dates, today and the first `company` row.
ReportHeaderCaptions reportHeaderCaptions(DatabaseSession &db, const PayPeriod &period);
/// The detailed report's captions from the chosen employee's period totals (no employee: the
/// name, wages and per-column earnings keep their design text).
DetailCaptions detailCaptions(DatabaseSession &db, const PayPeriod &period,
                              const std::optional<ChosenEmployee> &employee, const PayPeriodTotals &totals);

/// Base of both runs: the step loop and the outcome.
class PayrollRun : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        Running,
        Report,     ///< the work table is filled: show the report
        Incomplete, ///< the detailed run met an incomplete pair: message, no report
        NoReport,   ///< the summary run had nothing ticked: no message, no report
        Failed      ///< the store failed: `error` holds its message
    };
    ~PayrollRun() override;
    /// Starts stepping on the event loop; finished() follows.
    void start();
    /// Runs every step at once (tools and tests that do not need the event loop).
    void runToEnd();
    Outcome outcome() const { return m_outcome; }
    QString error() const { return m_error; }

signals:
    void finished();

protected:
    PayrollRun(DatabaseSession &db, const PayPeriod &period, const QString &table, QObject *parent);
    /// One bounded piece of work; false when the run is over (outcome set).
    virtual bool step() = 0;
    ReportHeaderCaptions headerCaptions() const;
    /// Empties the work table chunk by chunk; true once it is empty.
    bool clearChunk();
    void finish(Outcome outcome);

    DatabaseSession &m_db;
    PayPeriod m_period;
    QString m_table;
    std::unique_ptr<WorkTableClearer> m_clearer;
    std::unique_ptr<WorkTableAppender> m_appender;
    Outcome m_outcome = Outcome::Running;
    QString m_error;

private:
    void stepOnce();
    bool m_stepping = false;
};

/// "Full Detail Report": the chosen employee's pairs into `details`, the footer's totals.
class DetailRun : public PayrollRun {
    Q_OBJECT
public:
    DetailRun(DatabaseSession &db, const PayPeriod &period, std::optional<ChosenEmployee> employee,
              QObject *parent = nullptr);
    const DetailCaptions &captions() const { return m_captions; }
    /// The pair that stopped the run (Outcome::Incomplete).
    const std::optional<IncompletePair> &incomplete() const { return m_figures.incomplete; }

protected:
    bool step() override;

private:
    void fillCaptions();
    enum class Stage { Clearing, Pause, Computing, Appending, Captions } m_stage = Stage::Clearing;
    int m_pauses = 0;
    std::optional<ChosenEmployee> m_employee;
    std::unique_ptr<DetailComputation> m_computation;
    DetailFigures m_figures;
    qsizetype m_written = 0;
    DetailCaptions m_captions;
};

/// "Summary Report": one `summary` row per ticked employee, in list order.
class SummaryRun : public PayrollRun {
    Q_OBJECT
public:
    SummaryRun(DatabaseSession &db, const PayPeriod &period, const QStringList &ids,
               QObject *parent = nullptr);
    const SummaryCaptions &captions() const { return m_captions; }
    const QList<SummaryRow> &rows() const { return m_rows; }

protected:
    bool step() override;

private:
    enum class Stage { Clearing, Computing, Appending, Captions } m_stage = Stage::Clearing;
    QStringList m_ids;
    std::unique_ptr<SummaryComputation> m_computation; ///< of the employee m_rows.size()
    QList<SummaryRow> m_rows;
    qsizetype m_written = 0;
    SummaryCaptions m_captions;
};

/// The detailed run's message for an incomplete pair.
QString incompletePairMessage();
QString incompletePairTitle();

} // namespace zarvo

Q_DECLARE_METATYPE(zarvo::DetailCaptions)
Q_DECLARE_METATYPE(zarvo::SummaryCaptions)
