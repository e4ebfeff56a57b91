#include "reportdocument.h"
#include <QSaveFile>
#include <QFontMetricsF>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>

namespace zarvo::report {
namespace {
constexpr double kTwipsPerInch = 1440.0;
constexpr double kTwipsPerPoint = 20.0;
constexpr int kLineWidth = 15; // one screen pixel of the original designer

int textFlags(const Control &c)
{
    // Only a growing control wraps: a fixed one keeps its figure on one line (wrapping would
    // push the last digits out of sight below the box).
    int flags = int(c.align & Qt::AlignHorizontal_Mask) | Qt::AlignTop;
    if (c.canGrow)
        flags |= Qt::TextWordWrap;
    return flags;
}
} // namespace

PageSetup PageSetup::a4() { return fromPageSize(QPageSize(QPageSize::A4), QPageLayout::Portrait); }
PageSetup PageSetup::letter() { return fromPageSize(QPageSize(QPageSize::Letter), QPageLayout::Portrait); }

PageSetup PageSetup::forLocale(const QLocale &locale)
{
    return locale.measurementSystem() == QLocale::ImperialUSSystem ? letter() : a4();
}

PageSetup PageSetup::fromPageSize(const QPageSize &size, QPageLayout::Orientation orientation)
{
    QSizeF points = size.size(QPageSize::Point);
    if (orientation == QPageLayout::Landscape)
        points.transpose();
    PageSetup p;
    p.paper = points * kTwipsPerPoint;
    p.margins = QMarginsF(360, 720, 360, 720);
    return p;
}

QPageLayout PageSetup::pageLayout() const
{
    const QSizeF points = paper / kTwipsPerPoint;
    return QPageLayout(QPageSize(points, QPageSize::Point, QString(), QPageSize::FuzzyMatch),
                       QPageLayout::Portrait, QMarginsF(), QPageLayout::Point);
}

void registerReportFonts()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    // Tahoma is about as wide as Arial; Verdana's wide letters match DejaVu Sans.
    QFont::insertSubstitution(QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"));
}

QFont reportFont(const FontSpec &spec)
{
    registerReportFonts();
    QFont f(spec.family);
    f.setPixelSize(qRound(spec.pointSize * kTwipsPerPoint));
    f.setBold(spec.bold);
    f.setItalic(spec.italic);
    // No hinting and no kerning tricks: the same widths on screen, paper and PDF.
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

int measureText(const Control &control, const QString &text)
{
    const QFontMetricsF fm(reportFont(control.font));
    const QRectF r = fm.boundingRect(QRectF(0, 0, control.rect.width(), 1e7), textFlags(control), text);
    return int(std::ceil(r.height()));
}

ReportDocument::ReportDocument(ReportDesign design, DataTable table, PageSetup page)
    : m_design(std::move(design)), m_table(std::move(table)), m_page(page)
{
    m_layout = paginate(m_design, m_table, m_page.printableHeight(), measureText);
}

void ReportDocument::paintPage(QPainter &painter, int index) const
{
    if (index < 0 || index >= m_layout.pageCount())
        return;
    painter.save();
    const QPaintDevice *dev = painter.device();
    painter.scale(dev->logicalDpiX() / kTwipsPerInch, dev->logicalDpiY() / kTwipsPerInch);
    painter.translate(m_page.margins.left(), m_page.margins.top());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const int footer = m_design.bandIndex(BandKind::PageFooter);
    const Band *footerBand = m_design.bandOf(BandKind::PageFooter);
    const int bottom = m_page.printableHeight() - (footerBand ? footerBand->height : 0);
    for (const PlacedBand &b : m_layout.pages[index].bands) {
        painter.save();
        painter.translate(0, b.top);
        // A band taller than a page is cut where the page footer begins.
        const int clipBottom = b.band == footer ? m_page.printableHeight() : bottom;
        painter.setClipRect(QRectF(-m_page.margins.left(), -b.top, m_page.paper.width(), clipBottom));
        paintBand(painter, b);
        painter.restore();
        if (b.band == footer)
            paintPageNumber(painter, index, b.top);
    }
    painter.restore();
}

void ReportDocument::paintPageNumber(QPainter &painter, int index, int footerTop) const
{
    painter.setFont(reportFont(m_design.reportFont));
    painter.setPen(Qt::black);
    // Right-aligned under the reports' rightmost columns, clear of the paper's edge.
    const QRectF r(0, footerTop + 90, m_design.width - 360, 200);
    painter.drawText(r, Qt::AlignRight | Qt::AlignTop,
                     QStringLiteral("Page %1 of %2").arg(index + 1).arg(m_layout.pageCount()));
}

void ReportDocument::paintBand(QPainter &painter, const PlacedBand &placed) const
{
    const Band &band = m_design.bands[placed.band];
    for (int i = 0; i < band.controls.size(); ++i) {
        const Control &c = band.controls[i];
        const QRect r = placed.rects[i];
        switch (c.kind) {
        case ControlKind::Line: {
            QPen pen(c.foreColor, kLineWidth, c.lineStyle, Qt::FlatCap);
            painter.setPen(pen);
            painter.drawLine(QPointF(r.left(), r.top()), QPointF(r.left() + r.width(), r.top()));
            break;
        }
        case ControlKind::Rectangle:
        case ControlKind::RoundedRectangle: {
            painter.setPen(QPen(c.foreColor, kLineWidth));
            painter.setBrush(c.backColor.isValid() ? QBrush(c.backColor) : QBrush());
            if (c.kind == ControlKind::Rectangle) {
                painter.drawRect(r);
            } else {
                const double radius = std::min(r.width(), r.height()) / 4.0;
                painter.drawRoundedRect(r, radius, radius);
            }
            painter.setBrush(QBrush());
            break;
        }
        case ControlKind::Image:
            if (!c.picture.isNull()) {
                // The logo fits its box keeping its proportions, centred.
                QSizeF s = QSizeF(c.picture.size()).scaled(r.size(), Qt::KeepAspectRatio);
                const QRectF target(r.left() + (r.width() - s.width()) / 2,
                                    r.top() + (r.height() - s.height()) / 2, s.width(), s.height());
                painter.drawImage(target, c.picture);
            }
            break;
        case ControlKind::Label:
        case ControlKind::TextBox: {
            if (c.backColor.isValid())
                painter.fillRect(r, c.backColor);
            const QString text = controlText(c, m_table, placed.row);
            if (text.isEmpty())
                break;
            QFont font = reportFont(c.font);
            // A figure wider than its fixed box (large earnings) is set smaller rather than cut
            // off at the box's edge; past 60 % of its size it is cut after all.
            if (!c.canGrow && !text.contains(QLatin1Char('\n'))) {
                const qreal wide = QFontMetricsF(font).horizontalAdvance(text);
                if (wide > r.width() && r.width() > 0)
                    font.setPixelSize(std::max(1, int(font.pixelSize() * std::max(0.6, 0.95 * r.width() / wide))));
            }
            painter.setFont(font);
            painter.setPen(c.foreColor);
            painter.drawText(QRectF(r), textFlags(c), text);
            break;
        }
        }
    }
}

QImage ReportDocument::renderPage(int index, double dpi) const
{
    const QSize size(qRound(m_page.paper.width() * dpi / kTwipsPerInch),
                     qRound(m_page.paper.height() * dpi / kTwipsPerInch));
    QImage image(size, QImage::Format_RGB32);
    const int dpm = qRound(dpi / 0.0254);
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
    image.fill(Qt::white);
    QPainter p(&image);
    paintPage(p, index);
    return image;
}

bool ReportDocument::writePdf(const QString &path, QString *error) const
{
    // Written beside and swapped in at the end: a failed write leaves an older file untouched.
    QSaveFile probe(path);
    if (!probe.open(QIODevice::WriteOnly)) {
        if (error)
            *error = probe.errorString();
        return false;
    }
    QPdfWriter pdf(&probe);
    pdf.setResolution(1200);
    pdf.setTitle(m_design.title);
    pdf.setCreator(QStringLiteral("Zarvo Punch Clock"));
    pdf.setPageLayout(m_page.pageLayout());
    QPainter painter;
    if (!painter.begin(&pdf)) {
        if (error)
            *error = QStringLiteral("The PDF file could not be started.");
        return false;
    }
    for (int i = 0; i < pageCount(); ++i) {
        if (i > 0)
            pdf.newPage();
        paintPage(painter, i);
    }
    painter.end();
    if (!probe.commit()) {
        if (error)
            *error = probe.errorString();
        return false;
    }
    return true;
}

bool writeReportPdf(const ReportDesign &design, const DataTable &rows, const QString &path, QString *error)
{
    const ReportDocument doc(design, rows, PageSetup::forLocale(QLocale::system()));
    return doc.writePdf(path, error);
}

} // namespace zarvo::report
