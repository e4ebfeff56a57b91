#pragma once
// The program's two payroll reports, each one instance created on first use and reused by every
// later run: a run fills it (its design with the run's figures, bound to the run's rows) and
// shows it inside the console without waiting.

#include "payrollbinding.h"
#include "reportpreview.h"
#include <memory>

namespace zarvo::report {

class ReportDocument;
struct PageSetup;

class PayrollReport {
public:
    enum Kind { Detail, Summary };
    explicit PayrollReport(Kind kind);

    Kind kind() const { return m_kind; }
    /// The work table the report is bound to: "details" or "summary".
    QString table() const;
    ReportDesign &design() { return m_design; }
    const ReportDesign &design() const { return m_design; }
    /// Puts every caption and picture back to the design's own.
    void restoreDesign();
    void bind(DataTable table);
    /// Takes a filled design and its rows (the design's captions are the run's from here on).
    void fill(FilledReport report);
    const DataTable &data() const { return m_table; }
    /// The line under the preview's toolbar and the list behind it (summary): the pairs the
    /// figures leave out or that need a look. Shown at once when the preview is open.
    void setNotCounted(const QString &line, const QStringList &pairs);
    const QStringList &notCounted() const { return m_notCounted; }

    /// The pages as they are now, on paper of `page`.
    std::shared_ptr<const ReportDocument> document(const PageSetup &page) const;
    /// Opens the preview inside the console (or brings it forward) showing the report as it is
    /// now; nullptr when no console hosts windows.
    ReportPreview *show();

private:
    Kind m_kind;
    ReportDesign m_design;
    DataTable m_table;
    QString m_notCountedLine;
    QStringList m_notCounted;
};

/// The one `Detail` report of the program.
PayrollReport &detailReport();
/// The one `Summary` report of the program.
PayrollReport &summaryReport();

} // namespace zarvo::report
