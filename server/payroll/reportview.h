#pragma once
// Showing a filled payroll report. The runs end here once their work table is filled: the
// report designs bind to "Select * from details" / "Select * from summary", take the run-time
// captions given and open inside the console.

#include "payrollruns.h"

class QWidget;

namespace zarvo {

/// Shows the detailed report over `details` with the given captions. `owner` is the payroll
/// window that ran it.
void showDetailReport(QWidget *owner, const DetailCaptions &captions);
/// Shows the summary report over `summary` with the given captions.
void showSummaryReport(QWidget *owner, const SummaryCaptions &captions);

} // namespace zarvo
