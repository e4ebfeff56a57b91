#include "payrollreports.h"
#include "database.h"
#include "payrolldesigns.h"
#include "reportdocument.h"
#include <QLocale>

namespace zarvo::report {
namespace {
TableExporter &exporter()
{
    static TableExporter e;
    return e;
}
} // namespace

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

void PayrollReport::bind(const RecordSet &rs) { m_table = BoundTable::fromRecordSet(rs); }
void PayrollReport::bind(BoundTable table) { m_table = std::move(table); }

void PayrollReport::setNotCounted(const QStringList &pairs)
{
    m_notCounted = pairs;
    m_notCountedSet = true;
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
    preview->setExporter(exporter());
    preview->setDocument(document(PageSetup::forLocale(QLocale::system())));
    if (m_notCountedSet)
        preview->setNotCounted(m_notCounted);
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

void setReportExporter(TableExporter e) { exporter() = std::move(e); }

} // namespace zarvo::report
