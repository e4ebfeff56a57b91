#pragma once
// The two payroll report designs, "Detail" (one line per time-in/time-out pair) and "Summary"
// (one block per employee), exactly as laid out for the printed reports, and which of their
// controls show which payroll figure.

#include "payrollruns.h"
#include "reportdesign.h"

namespace zarvo::report {

/// Detailed report, bound to table `details`; preview caption "Full Detail Report".
ReportDesign detailDesign();
/// Summary report, bound to table `summary`; preview caption "Timesheet Report Summary".
ReportDesign summaryDesign();

/// The header: the logo, company title, address and phone (when a company row exists), then
/// the start, end and today's dates.
void applyHeader(ReportDesign &design, const ReportHeaderCaptions &captions);
/// Every figure of the detailed report; unset ones keep the design's text.
void applyCaptions(ReportDesign &design, const DetailCaptions &captions);

} // namespace zarvo::report
