#pragma once
// Which band goes on which page at what height: the report header once at the start, the detail
// band once per bound row, the page header and footer on every page, the report footer once at
// the end; no band is split across pages, and labels that grow with their text push the
// controls below them down. Pure: text heights come from the caller's measure. Widget-free.

#include "datatable.h"
#include "reportdesign.h"
#include <functional>

namespace zarvo::report {

/// Height in twips that `text` needs in `control` at the control's width and font.
using MeasureText = std::function<int(const Control &control, const QString &text)>;

/// One band printed once: where on the page it goes and where its controls went.
struct PlacedBand {
    int band = -1;          ///< index into ReportDesign::bands
    int row = -1;           ///< bound row of a detail band; -1 for the other bands
    int top = 0;            ///< twips from the top of the printable area
    int height = 0;         ///< twips, grown to fit
    QList<QRect> rects;     ///< each control's rectangle within the band, grown and shifted
};

struct Page {
    QList<PlacedBand> bands;
};

struct Layout {
    QList<Page> pages;
    int pageCount() const { return int(pages.size()); }
};

/// The text a label or text box shows for a bound row (labels: their caption; text boxes: the
/// field's value in the control's format). Carriage returns become line breaks.
QString controlText(const Control &control, const DataTable &table, int row);

/// A band laid out for one row: control rectangles after growing, and the band's height.
PlacedBand layoutBand(const ReportDesign &design, int band, const DataTable &table, int row,
                      const MeasureText &measure);

/// Lays the whole report out on pages whose printable area is `pageHeight` twips high.
Layout paginate(const ReportDesign &design, const DataTable &table, int pageHeight,
                const MeasureText &measure);

} // namespace zarvo::report
