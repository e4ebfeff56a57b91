#include "pageview.h"
#include "reportdocument.h"
#include <QPainter>

namespace zarvo::report {
namespace {
constexpr int kDesk = 16;   // grey border around the paper
constexpr int kShadow = 4;
} // namespace

PageView::PageView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PageView"));
    setAutoFillBackground(false);
}

void PageView::setDocument(std::shared_ptr<const ReportDocument> doc)
{
    m_doc = std::move(doc);
    m_page = 0;
    m_cachePage = -1;
    resize(sizeHint());
    update();
}

void PageView::setPage(int index)
{
    if (!m_doc || index < 0 || index >= m_doc->pageCount() || index == m_page)
        return;
    m_page = index;
    update();
}

void PageView::setZoom(double zoom)
{
    zoom = std::clamp(zoom, 0.1, 8.0);
    if (qFuzzyCompare(zoom, m_zoom))
        return;
    m_zoom = zoom;
    resize(sizeHint());
    update();
}

double PageView::zoomForWidth(int width) const
{
    if (!m_doc || m_doc->pageSetup().paper.width() <= 0)
        return 1.0;
    const double paperInches = m_doc->pageSetup().paper.width() / 1440.0;
    return std::max(0.1, (width - 2 * kDesk - kShadow) / (paperInches * logicalDpiX()));
}

QSize PageView::paperPixels() const
{
    if (!m_doc)
        return {};
    const QSizeF paper = m_doc->pageSetup().paper / 1440.0; // inches
    return QSize(qRound(paper.width() * logicalDpiX() * m_zoom), qRound(paper.height() * logicalDpiY() * m_zoom));
}

QSize PageView::sizeHint() const
{
    return paperPixels() + QSize(2 * kDesk + kShadow, 2 * kDesk + kShadow);
}

void PageView::updateCache() const
{
    if (m_cachePage == m_page && qFuzzyCompare(m_cacheZoom, m_zoom))
        return;
    const double dpr = devicePixelRatioF();
    m_cache = m_doc->renderPage(m_page, logicalDpiX() * m_zoom * dpr);
    m_cache.setDevicePixelRatio(dpr);
    m_cachePage = m_page;
    m_cacheZoom = m_zoom;
}

void PageView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(128, 128, 128));
    if (!m_doc || m_doc->pageCount() == 0)
        return;
    updateCache();
    const QSize paper = paperPixels();
    const int left = std::max(kDesk, (width() - paper.width() - kShadow) / 2);
    const QRect sheet(QPoint(left, kDesk), paper);
    p.fillRect(sheet.translated(kShadow, kShadow), QColor(60, 60, 60));
    p.drawImage(sheet, m_cache);
    p.setPen(QColor(40, 40, 40));
    p.drawRect(sheet.adjusted(0, 0, -1, -1));
}

} // namespace zarvo::report
