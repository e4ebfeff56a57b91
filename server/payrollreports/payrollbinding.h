#pragma once
// Where the payroll runs meet the report engine, one route for the server's preview and for
// ZarvoReport: the runs' rows as the tables a report binds to and an export writes, the design
// filled with a run's figures, and the exceptions listed under the preview's toolbar.
// Widget-free.

#include "datatable.h"
#include "payrollruns.h"
#include "reportdesign.h"

namespace zarvo {

/// The rows of the summary and detailed runs: the fields of the work tables `summary` and
/// `details`, in the column order ZarvoReport writes.
DataTable summaryTable(const QList<SummaryRow> &rows);
DataTable detailTable(const QList<DetailRow> &rows);

} // namespace zarvo

namespace zarvo::report {

/// A payroll report ready to show, print or export: its design with a run's figures, bound to
/// the run's rows.
struct FilledReport {
    ReportDesign design;
    DataTable rows;
};
FilledReport fillDetailReport(const DetailCaptions &captions, const QList<DetailRow> &rows);
/// The summary's header only: every number of it comes from the rows.
FilledReport fillSummaryReport(const ReportHeaderCaptions &header, const QList<SummaryRow> &rows);

/// One line of the exceptions list ("E100  05-Jan-2024  pair 2  08:00:00 to (none): incomplete").
QString exceptionText(const PayrollException &e);
/// The line under the preview's toolbar: how many pairs were not counted or need a look.
QString exceptionSummary(const QList<PayrollException> &exceptions);

} // namespace zarvo::report
