#include "innerlayout.h"
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>
#include <limits>

namespace InnerLayout {

QPoint cascadePoint(const QSize &area, const QSize &size, const QList<QPoint> &taken, int step)
{
    step = qMax(step, 1);
    const auto fits = [&](int k) {
        return k * step + size.width() <= area.width() && k * step + size.height() <= area.height();
    };
    int count = 0;
    for (; fits(count); ++count) {
        const QPoint p(count * step, count * step);
        if (!taken.contains(p))
            return p;
    }
    if (count == 0)
        return {0, 0}; // larger than the area: its title bar and top-left corner stay in view
    // Every point is taken: round again, on the point the fewest windows share.
    int best = 0;
    qsizetype fewest = taken.size() + 1;
    for (int k = 0; k < count; ++k) {
        const qsizetype n = taken.count(QPoint(k * step, k * step));
        if (n < fewest) {
            fewest = n;
            best = k;
        }
    }
    return {best * step, best * step};
}

namespace {
/// How much of the windows' minimum sizes a grid of `cols` columns cuts off.
qint64 cutOff(const QSize &area, const QList<Tile> &windows, int cols, int rows)
{
    const int cw = area.width() / cols;
    const int ch = area.height() / rows;
    qint64 lost = 0;
    for (const Tile &t : windows) {
        const qint64 whole = qint64(t.minimum.width()) * t.minimum.height();
        lost += whole - qint64(qMin(t.minimum.width(), cw)) * qMin(t.minimum.height(), ch);
    }
    return lost;
}

int fitted(int cell, int design, int minimum, bool grows)
{
    return qMax(grows ? cell : qMin(cell, design), minimum);
}
} // namespace

QList<QRect> tiles(const QSize &area, const QList<Tile> &windows)
{
    const int n = int(windows.size());
    if (n == 0 || area.isEmpty())
        return {};
    // Among the grids without an empty row, the one cutting off least; on a tie the one
    // nearest the square grid.
    int square = 1;
    while (square * square < n)
        ++square;
    int bestCols = 0;
    qint64 bestLost = std::numeric_limits<qint64>::max();
    for (int cols = 1; cols <= n; ++cols) {
        const int rows = (n + cols - 1) / cols;
        if ((rows - 1) * cols >= n)
            continue;
        const qint64 lost = cutOff(area, windows, cols, rows);
        if (lost < bestLost || (lost == bestLost && qAbs(cols - square) < qAbs(bestCols - square))) {
            bestLost = lost;
            bestCols = cols;
        }
    }
    const int cols = bestCols;
    const int rows = (n + cols - 1) / cols;
    QList<QRect> out;
    for (int i = 0; i < n; ++i) {
        const int c = i % cols;
        const int r = i / cols;
        const QRect cell(QPoint(c * area.width() / cols, r * area.height() / rows),
                         QPoint((c + 1) * area.width() / cols - 1, (r + 1) * area.height() / rows - 1));
        const Tile &t = windows[i];
        const QSize size(fitted(cell.width(), t.design.width(), t.minimum.width(), t.grows),
                         fitted(cell.height(), t.design.height(), t.minimum.height(), t.grows));
        // Overflowing its cell it may cover a neighbour, but never leaves the area.
        const QPoint at(qMax(0, qMin(cell.x(), area.width() - size.width())),
                        qMax(0, qMin(cell.y(), area.height() - size.height())));
        out.append(QRect(at, size));
    }
    return out;
}

Tile tileOf(const QMdiSubWindow *frame)
{
    const QWidget *w = frame->widget();
    if (!w)
        return {frame->size(), frame->minimumSizeHint(), false};
    const QMargins m = frame->contentsMargins(); // title bar and borders
    const QSize chrome(m.left() + m.right(), m.top() + m.bottom());
    Tile t;
    if (w->minimumSize() == w->maximumSize()) {
        t.design = t.minimum = w->minimumSize() + chrome;
        return t;
    }
    const QSize hint = w->sizeHint().isValid() ? w->sizeHint() : w->size();
    t.minimum = (w->minimumSizeHint().expandedTo(w->minimumSize()) + chrome)
                    .expandedTo(frame->minimumSizeHint());
    t.design = (hint + chrome).expandedTo(t.minimum);
    const QSizePolicy policy = w->sizePolicy();
    t.grows = (policy.horizontalPolicy() & QSizePolicy::ExpandFlag) ||
              (policy.verticalPolicy() & QSizePolicy::ExpandFlag);
    return t;
}

namespace {
/// The windows an arrangement moves: shown and not minimised, in the order they were opened.
QList<QMdiSubWindow *> arranged(QMdiArea *area)
{
    QList<QMdiSubWindow *> frames;
    for (QMdiSubWindow *f : area->subWindowList(QMdiArea::CreationOrder)) {
        if (!f->isVisible() || f->isMinimized())
            continue;
        if (f->isMaximized())
            f->showNormal();
        frames.append(f);
    }
    return frames;
}

int cascadeStep(const QMdiSubWindow *frame)
{
    return frame->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, frame);
}
} // namespace

void cascade(QMdiArea *area)
{
    const QSize room = area->viewport()->size();
    QList<QPoint> taken;
    int k = 0;
    for (QMdiSubWindow *f : arranged(area)) {
        const Tile t = tileOf(f);
        const int step = cascadeStep(f);
        const QPoint next(k * step, k * step);
        const QSize left = room - QSize(next.x(), next.y());
        if (left.width() >= t.minimum.width() && left.height() >= t.minimum.height()) {
            // Its step of the cascade, shrunk to what is left of the area where it can be.
            f->setGeometry(QRect(next, t.design.boundedTo(left).expandedTo(t.minimum)));
        } else {
            f->resize(t.design.boundedTo(room).expandedTo(t.minimum));
            f->move(cascadePoint(room, f->size(), taken, step)); // round again
        }
        f->raise();
        taken.append(f->pos());
        k = f->x() / qMax(step, 1) + 1;
    }
}

void tile(QMdiArea *area)
{
    const QList<QMdiSubWindow *> frames = arranged(area);
    QList<Tile> facts;
    for (const QMdiSubWindow *f : std::as_const(frames))
        facts.append(tileOf(f));
    const QList<QRect> rects = tiles(area->viewport()->size(), facts);
    for (int i = 0; i < frames.size(); ++i) {
        frames[i]->setGeometry(rects[i]);
        // Later tiles lie right of and below earlier ones: stacked in order, every window's
        // title bar corner stays in view even where a large window overflows its cell.
        frames[i]->raise();
    }
}

void placeNew(QMdiArea *area, QMdiSubWindow *frame)
{
    QList<QPoint> taken;
    for (const QMdiSubWindow *f : area->subWindowList())
        if (f != frame && f->isVisible() && !f->isMinimized())
            taken.append(f->pos());
    frame->move(cascadePoint(area->viewport()->size(), frame->size(), taken, cascadeStep(frame)));
}

} // namespace InnerLayout
