#include "artwork.h"

// Placeholder pictures until the artwork is drawn.
namespace zarvo::Artwork {
static QPixmap blank(int w, int h)
{
    QPixmap p(w, h);
    p.fill(Qt::lightGray);
    return p;
}
QIcon appIcon() { return QIcon(blank(32, 32)); }
QPixmap consoleBackground() { return blank(1024, 768); }
QPixmap clockPicture() { return blank(128, 128); }
QPixmap logo() { return blank(96, 96); }
QIcon icon(const QString &) { return QIcon(blank(32, 32)); }
QCursor pointer() { return QCursor(Qt::PointingHandCursor); }
} // namespace zarvo::Artwork
