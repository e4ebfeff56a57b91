#include "pagination.h"

namespace zarvo::report {

QString controlText(const Control &control, const DataTable &table, int row)
{
    QString text;
    if (control.kind == ControlKind::Label)
        text = control.caption;
    else if (control.kind == ControlKind::TextBox)
        text = formatValue(table.value(row < 0 ? 0 : row, control.field), control.format);
    else
        return {};
    // The address joins its two lines with a carriage return.
    text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

PlacedBand layoutBand(const ReportDesign &design, int bandIndex, const DataTable &table, int row,
                      const MeasureText &measure)
{
    const Band &band = design.bands[bandIndex];
    PlacedBand placed;
    placed.band = bandIndex;
    placed.row = band.kind == BandKind::Detail ? row : -1;
    const int n = int(band.controls.size());

    QList<int> growth(n, 0);
    for (int i = 0; i < n; ++i) {
        const Control &c = band.controls[i];
        if (!c.canGrow || (c.kind != ControlKind::Label && c.kind != ControlKind::TextBox))
            continue;
        const QString text = controlText(c, table, row);
        if (text.isEmpty() || !measure)
            continue;
        growth[i] = std::max(0, measure(c, text) - c.rect.height());
    }

    // A control moves down by the largest growth of the growing controls that end above it.
    int extra = 0;
    placed.rects.reserve(n);
    for (int j = 0; j < n; ++j) {
        const QRect &r = band.controls[j].rect;
        int shift = 0;
        for (int i = 0; i < n; ++i) {
            if (growth[i] > 0 && i != j && band.controls[i].rect.top() + band.controls[i].rect.height() <= r.top())
                shift = std::max(shift, growth[i]);
        }
        const QRect moved(r.left(), r.top() + shift, r.width(), r.height() + growth[j]);
        placed.rects.append(moved);
        extra = std::max(extra, shift + growth[j]);
    }
    placed.height = band.height + extra;
    return placed;
}

Layout paginate(const ReportDesign &design, const DataTable &table, int pageHeight,
                const MeasureText &measure)
{
    Layout layout;
    const int pageHeader = design.bandIndex(BandKind::PageHeader);
    const int pageFooter = design.bandIndex(BandKind::PageFooter);
    const int footerHeight = pageFooter < 0 ? 0 : design.bands[pageFooter].height;
    const int bottom = pageHeight - footerHeight; // where the page footer begins

    int y = 0;
    int firstFree = 0; // y just below the page header: nothing placed yet on this page
    auto openPage = [&] {
        layout.pages.append(Page{});
        y = 0;
        if (pageHeader >= 0) {
            PlacedBand ph = layoutBand(design, pageHeader, table, -1, measure);
            ph.top = 0;
            y = ph.height;
            layout.pages.last().bands.append(std::move(ph));
        }
        firstFree = y;
    };
    auto closePage = [&] {
        if (pageFooter >= 0) {
            PlacedBand pf = layoutBand(design, pageFooter, table, -1, measure);
            pf.top = bottom;
            layout.pages.last().bands.append(std::move(pf));
        }
    };
    auto place = [&](PlacedBand b) {
        // A band that does not fit goes whole to the next page, unless it is the first on its
        // page (a band taller than a page is printed cut rather than never).
        if (y + b.height > bottom && y > firstFree) {
            closePage();
            openPage();
        }
        b.top = y;
        y += b.height;
        layout.pages.last().bands.append(std::move(b));
    };

    openPage();
    const int header = design.bandIndex(BandKind::ReportHeader);
    if (header >= 0)
        place(layoutBand(design, header, table, -1, measure));
    const int detail = design.bandIndex(BandKind::Detail);
    if (detail >= 0)
        for (int r = 0; r < table.rowCount(); ++r)
            place(layoutBand(design, detail, table, r, measure));
    const int footer = design.bandIndex(BandKind::ReportFooter);
    if (footer >= 0)
        place(layoutBand(design, footer, table, -1, measure));
    closePage();
    return layout;
}

} // namespace zarvo::report


