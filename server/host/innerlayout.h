#pragma once
// Where the windows inside the console go: a new window's place, and the "Tile" and "Cascade"
// arrangements.
// Neither ever resizes the console, and a window of fixed layout keeps its size.

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

class QMdiArea;
class QMdiSubWindow;

namespace InnerLayout {

/// The place of a new window of `size` in a client area of `area` size: the first point of a
/// cascade from the top-left (steps of `step` down and right) where the window lies wholly
/// inside and no other window in `taken` has its corner; when every such point is taken the
/// cascade goes round again, to the point the fewest windows share; a window larger than the
/// area goes to the top-left corner.
QPoint cascadePoint(const QSize &area, const QSize &size, const QList<QPoint> &taken, int step);

/// What tiling needs to know of one window (frame sizes, title bar and border included).
struct Tile {
    QSize design;   ///< the size it was laid out for
    QSize minimum;  ///< the smallest it can be made (its design size when its layout is fixed)
    bool grows = false; ///< it makes use of more room than its design size (a grid, a list)
};

/// The rectangles of `windows`, in order, tiled in a grid over a client area of `area` size:
/// the grid whose cells cut off the least of the windows' minimum sizes. Each window is
/// placed at the top-left of its cell; it shrinks to the cell down to its minimum, grows to
/// the cell only when it grows, and is moved back inside the area where it overflows its cell.
QList<QRect> tiles(const QSize &area, const QList<Tile> &windows);

/// The tiling facts of one window inside the console.
Tile tileOf(const QMdiSubWindow *frame);
/// Tiles the visible, not minimised windows of `area` in the order they were opened.
void tile(QMdiArea *area);
/// Cascades them from the top-left, one title bar's height apart, each at its design size as
/// far as the rest of the area allows (a resizable one shrinks to stay in the cascade); a window
/// that cannot stay in the cascade starts it again by cascadePoint(). Wholly in view when it fits.
void cascade(QMdiArea *area);
/// Places a newly opened `frame` by cascadePoint() among the other windows of `area`.
void placeNew(QMdiArea *area, QMdiSubWindow *frame);

} // namespace InnerLayout
