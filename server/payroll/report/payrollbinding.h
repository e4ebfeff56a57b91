#pragma once
// Where the payroll runs meet the report designs: the run-time captions and the logo set by
// band and control name, the bound table written out as ZarvoReport writes it, the exceptions
// listed under the summary's toolbar, and the PDF of a report without a display. Widget-free.

#include "boundtable.h"
#include "payrollruns.h"
#include "reportdesign.h"
#include "tableexport.h"

namespace zarvo::report {

/// The header: the logo, company title, address and phone (when a company row exists), then
/// the start, end and today's dates.
void applyHeader(ReportDesign &design, const ReportHeaderCaptions &captions);
/// Every caption of the detailed report; unset ones keep the design's text.
void applyCaptions(ReportDesign &design, const DetailCaptions &captions);
/// The summary's header (its numbers come from the bound rows).
void applyCaptions(ReportDesign &design, const SummaryCaptions &captions);

/// The bound rows of "details" or "summary" as ZarvoReport's table of the same report (its
/// columns, in its order).
ExportTable exportTableOf(const QString &table, const BoundTable &rows);
/// Rows computed in memory as a table the designs bind to by field name.
BoundTable boundTableOf(const ExportTable &table);
/// Writes the bound rows to CSV or XLSX, by the file's suffix; false with a reason.
bool exportBoundTable(const QString &table, const BoundTable &rows, const QString &path, QString *error);

/// One line of the exceptions list ("E100  05-Jan-2024  pair 2  08:00:00 to (none): incomplete").
QString exceptionText(const PayrollException &e);
/// The line under the summary's toolbar: how many pairs were not counted or need a look.
QString exceptionSummary(const QList<PayrollException> &exceptions);

/// Lays out a report on the locale's paper and writes it as PDF; false with a reason.
bool writeReportPdf(const ReportDesign &design, const BoundTable &rows, const QString &path, QString *error);

} // namespace zarvo::report
