#pragma once
// Showing a filled payroll report. The runs end here once their work table is filled: the
// report binds the rows the run stored there (the same rows, kept in memory, as ZarvoReport
// binds), takes the run's captions and opens inside the console.

#include "payrollruns.h"

class QWidget;

namespace zarvo {

/// Shows the detailed report of the rows stored in `details`, with the given captions. `owner`
/// is the payroll window that ran it.
void showDetailReport(QWidget *owner, const DetailCaptions &captions, const QList<DetailRow> &rows);
/// Shows the summary report of the rows stored in `summary`, with the given captions.
void showSummaryReport(QWidget *owner, const SummaryCaptions &captions, const QList<SummaryRow> &rows);

} // namespace zarvo
