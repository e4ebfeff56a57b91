#pragma once
// One page of a report drawn as paper on a grey desk, at a zoom; the preview's scroll area shows it.

#include <QImage>
#include <QWidget>
#include <memory>

namespace zarvo::report {

class ReportDocument;

class PageView : public QWidget {
    Q_OBJECT
public:
    explicit PageView(QWidget *parent = nullptr);

    void setDocument(std::shared_ptr<const ReportDocument> doc);
    void setPage(int index);
    int page() const { return m_page; }
    /// 1.0 shows the paper at its real size on the screen.
    void setZoom(double zoom);
    double zoom() const { return m_zoom; }
    /// The zoom at which the paper fills `width` pixels.
    double zoomForWidth(int width) const;
    /// The picture of the current page as last painted (tests, benchmarks).
    QImage pagePicture() const { return m_cache; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QSize paperPixels() const;
    void updateCache() const;

    std::shared_ptr<const ReportDocument> m_doc;
    int m_page = 0;
    double m_zoom = 1.0;
    mutable QImage m_cache;
    mutable int m_cachePage = -1;
    mutable double m_cacheZoom = 0;
};

} // namespace zarvo::report
