#pragma once
// The two payroll report designs, "Detail" (one line per time-in/time-out pair) and "Summary"
// (one block per employee), exactly as laid out for the printed reports.

#include "reportdesign.h"

namespace zarvo::report {

/// Detailed report, bound to table `details`; preview caption "Full Detail Report".
ReportDesign detailDesign();
/// Summary report, bound to table `summary`; preview caption "Timesheet Report Summary".
ReportDesign summaryDesign();

} // namespace zarvo::report
