#pragma once
// A report ready to print: a design bound to its rows, laid out on pages of one size. One paint
// path serves the preview, the printer and PDF: paintPage() draws page N onto any painter,
// converting twips with the painter's device resolution. Needs the GUI library, no widgets.

#include "pagination.h"
#include <QMarginsF>
#include <QPageLayout>
#include <QSizeF>

class QPainter;

namespace zarvo::report {

/// Paper size and margins, in twips.
struct PageSetup {
    QSizeF paper;
    QMarginsF margins;

    /// A4, or Letter where the locale measures in inches; margins 1/4 inch left and right,
    /// 1/2 inch top and bottom (the designs already hold their own left indent).
    static PageSetup forLocale(const QLocale &locale);
    static PageSetup a4();
    static PageSetup letter();
    /// The paper of a page layout (e.g. a printer's), with our margins.
    static PageSetup fromPageSize(const QPageSize &size, QPageLayout::Orientation orientation);
    int printableHeight() const { return int(paper.height() - margins.top() - margins.bottom()); }
    QPageLayout pageLayout() const;
};

/// Maps the design's font names onto installed fonts with the same metrics (Arial and Tahoma to
/// Liberation Sans, Verdana to DejaVu Sans). Called once before the first layout.
void registerReportFonts();
/// The font of a control, sized in twips (pixel size = points × 20) so that it lays out the
/// same on every device.
QFont reportFont(const FontSpec &spec);
/// Measures text as the painter draws it (word wrap at the control's width).
int measureText(const Control &control, const QString &text);

class ReportDocument {
public:
    ReportDocument() = default;
    ReportDocument(ReportDesign design, DataTable table, PageSetup page);

    const ReportDesign &design() const { return m_design; }
    const DataTable &table() const { return m_table; }
    const PageSetup &pageSetup() const { return m_page; }
    const Layout &layout() const { return m_layout; }
    int pageCount() const { return m_layout.pageCount(); }

    /// Paints page `index` (0-based) with the paper's top left corner at the painter's origin,
    /// one twip being device-resolution / 1440 device pixels. Paints no paper background.
    void paintPage(QPainter &painter, int index) const;
    /// Renders a page into an image of `dpi` dots per inch on white paper.
    QImage renderPage(int index, double dpi) const;
    /// Writes every page to a PDF file; false with a reason when the file cannot be written.
    bool writePdf(const QString &path, QString *error = nullptr) const;

private:
    void paintBand(QPainter &painter, const PlacedBand &placed) const;
    void paintPageNumber(QPainter &painter, int index, int footerTop) const;

    ReportDesign m_design;
    DataTable m_table;
    PageSetup m_page;
    Layout m_layout;
};

/// Lays a report out on the locale's paper and writes it as PDF; false with a reason.
bool writeReportPdf(const ReportDesign &design, const DataTable &rows, const QString &path, QString *error);

} // namespace zarvo::report
