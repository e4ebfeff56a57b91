#include "reportview.h"
#include "module1.h"
#include "payrollbinding.h"
#include "payrollreports.h"
#include <QPointer>
#include <QTimer>

namespace zarvo {
namespace {

// The report's data: every row of its work table as the run left it. A record set that cannot
// be opened leaves the report without rows; it still opens.
void bindWorkTable(report::PayrollReport &r)
{
    RecordSet rs;
    try {
        rs.open(Module1::instance().db, QStringLiteral("Select * from ") + r.table());
    } catch (const DbError &) {
    }
    r.bind(rs);
}

// The line of exceptions under the preview's toolbar: the first page shows at once, the
// exceptions follow on the next event-loop turn.
void listExceptions(report::PayrollReport &(*which)(), QPointer<report::ReportPreview> preview,
                    const PayPeriod &period, const QStringList &ids)
{
    which().setNotCounted(QStringLiteral("Looking for pairs that were not counted..."), {});
    QTimer::singleShot(0, preview.data(), [which, period, ids] {
        QList<PayrollException> found;
        try {
            found = findExceptions(Module1::instance().db, period, ids);
        } catch (const DbError &e) {
            which().setNotCounted(QStringLiteral("The pairs left out could not be listed: %1").arg(e.message()), {});
            return;
        }
        QStringList lines;
        for (const PayrollException &e : found)
            lines << report::exceptionText(e);
        which().setNotCounted(report::exceptionSummary(found), lines);
    });
}

} // namespace

void showDetailReport(QWidget *, const DetailCaptions &captions)
{
    report::PayrollReport &r = report::detailReport();
    r.restoreDesign(); // captions a run leaves unset show the design's text, not the last run's
    report::applyCaptions(r.design(), captions);
    bindWorkTable(r);
    if (captions.ids.isEmpty()) { // no employee, nothing to look at
        r.setNotCounted(QString(), {});
        r.show();
        return;
    }
    listExceptions(&report::detailReport, r.show(), captions.period, captions.ids);
}

void showSummaryReport(QWidget *, const SummaryCaptions &captions)
{
    report::PayrollReport &r = report::summaryReport();
    r.restoreDesign();
    report::applyCaptions(r.design(), captions);
    bindWorkTable(r);
    listExceptions(&report::summaryReport, r.show(), captions.period, captions.ids);
}

} // namespace zarvo
