#include "payrollreports.h"
#include "payrolldesigns.h"
#include "reportdocument.h"
#include "tableexport.h"
#include <QLocale>

namespace zarvo::report {

PayrollReport::PayrollReport(Kind kind) : m_kind(kind)
{
    restoreDesign();
}

QString PayrollReport::table() const
{
    return m_kind == Detail ? QStringLiteral("details") : QStringLiteral("summary");
}

void PayrollReport::restoreDesign()
{
    m_design = m_kind == Detail ? detailDesign() : summaryDesign();
}

void PayrollReport::bind(DataTable table) { m_table = std::move(table); }

void PayrollReport::fill(FilledReport report)
{
    m_design = std::move(report.design);
    m_table = std::move(report.rows);
}

void PayrollReport::setNotCounted(const QString &line, const QStringList &pairs)
{
    m_notCountedLine = line;
    m_notCounted = pairs;
    if (windowHost())
        if (auto *open = qobject_cast<ReportPreview *>(windowHost()->find(QStringLiteral("Report:") + m_design.name)))
            open->setNotice(line, pairs);
}

std::shared_ptr<const ReportDocument> PayrollReport::document(const PageSetup &page) const
{
    return std::make_shared<ReportDocument>(m_design, m_table, page);
}

ReportPreview *PayrollReport::show()
{
    if (!windowHost())
        return nullptr;
    const QString name = m_design.name;
    const QString caption = m_design.title;
    const QString table = this->table();
    auto *preview = qobject_cast<ReportPreview *>(windowHost()->showInside(
        QStringLiteral("Report:") + name,
        [=] { return new ReportPreview(name, caption, table); }));
    if (!preview)
        return nullptr;
    // "Export…" writes the rows shown, as ZarvoReport writes the same report.
    preview->setExporter([rows = m_table](const QString &t, const QString &path, QString *error) {
        return writeTableFile(path, rows, t, error);
    });
    preview->setDocument(document(PageSetup::forLocale(QLocale::system())));
    if (!m_notCountedLine.isEmpty())
        preview->setNotice(m_notCountedLine, m_notCounted);
    return preview;
}

PayrollReport &detailReport()
{
    static PayrollReport r(PayrollReport::Detail);
    return r;
}

PayrollReport &summaryReport()
{
    static PayrollReport r(PayrollReport::Summary);
    return r;
}

} // namespace zarvo::report
