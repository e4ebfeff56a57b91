#include "artwork.h"
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

// Every picture is drawn here with QPainter so the programs ship no image files.
namespace zarvo::Artwork {
namespace {

const QColor kNavy(22, 52, 96);
const QColor kTeal(0, 128, 128);
const QColor kAmber(236, 160, 32);
const QColor kPaper(250, 248, 240);

QPixmap transparent(int w, int h)
{
    QPixmap p(w, h);
    p.fill(Qt::transparent);
    return p;
}

/// A clock face filling `r`, hands at 10:10 (the shop-window time that frames the logo).
void drawClockFace(QPainter &p, const QRectF &r, const QColor &rim)
{
    const QPointF c = r.center();
    const qreal rad = r.width() / 2.0;
    QRadialGradient face(c, rad, c - QPointF(rad / 3, rad / 3));
    face.setColorAt(0, Qt::white);
    face.setColorAt(1, kPaper.darker(108));
    p.setPen(QPen(rim, qMax(1.0, rad * 0.12)));
    p.setBrush(face);
    p.drawEllipse(c, rad * 0.92, rad * 0.92);
    // Hour marks
    p.setPen(QPen(kNavy, qMax(1.0, rad * 0.06), Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 12; ++i) {
        const qreal a = qDegreesToRadians(i * 30.0);
        const qreal inner = (i % 3 == 0) ? 0.62 : 0.70;
        p.drawLine(c + QPointF(qSin(a), -qCos(a)) * rad * inner,
                   c + QPointF(qSin(a), -qCos(a)) * rad * 0.78);
    }
    auto hand = [&](qreal degrees, qreal length, qreal width, const QColor &col) {
        const qreal a = qDegreesToRadians(degrees);
        p.setPen(QPen(col, width, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(c, c + QPointF(qSin(a), -qCos(a)) * rad * length);
    };
    hand(305, 0.45, qMax(1.5, rad * 0.10), kNavy);  // hour
    hand(60, 0.66, qMax(1.0, rad * 0.07), kNavy);   // minute
    hand(160, 0.70, qMax(1.0, rad * 0.03), QColor(200, 40, 40)); // second
    p.setPen(Qt::NoPen);
    p.setBrush(kNavy);
    p.drawEllipse(c, rad * 0.07, rad * 0.07);
}

/// A punch card leaning behind the clock.
void drawCard(QPainter &p, const QRectF &r)
{
    p.save();
    p.translate(r.center());
    p.rotate(-12);
    QRectF card(-r.width() / 2, -r.height() / 2, r.width(), r.height());
    p.setPen(QPen(kNavy.lighter(130), qMax(1.0, r.width() / 40)));
    p.setBrush(kPaper);
    p.drawRoundedRect(card, r.width() / 16, r.width() / 16);
    p.setPen(QPen(kTeal, qMax(1.0, r.width() / 50)));
    for (int i = 1; i <= 4; ++i) {
        const qreal y = card.top() + card.height() * i / 5.0;
        p.drawLine(QPointF(card.left() + card.width() * 0.12, y),
                   QPointF(card.right() - card.width() * 0.12, y));
    }
    p.restore();
}

QPixmap iconPixmap(const QString &name, int s)
{
    QPixmap pm = transparent(s, s);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal u = s / 32.0; // drawings are laid out on a 32-unit grid
    p.scale(u, u);
    QPen outline(kNavy, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);

    if (name == QLatin1String("clock")) {
        drawClockFace(p, QRectF(1, 1, 30, 30), kTeal);
    } else if (name == QLatin1String("login")) {
        // A key
        p.setPen(outline);
        p.setBrush(kAmber);
        p.drawEllipse(QPointF(10, 16), 7, 7);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(8, 16), 2.2, 2.2);
        p.setBrush(kAmber);
        QPainterPath shaft;
        shaft.addRect(16, 14.5, 14, 3);
        shaft.addRect(24, 17.5, 2.5, 4);
        shaft.addRect(28, 17.5, 2, 3);
        p.drawPath(shaft.simplified());
    } else if (name == QLatin1String("employee")) {
        p.setPen(outline);
        p.setBrush(QColor(120, 170, 220));
        p.drawEllipse(QPointF(13, 10), 6, 6);
        QPainterPath body;
        body.moveTo(2, 30);
        body.cubicTo(2, 18, 24, 18, 24, 30);
        body.closeSubpath();
        p.drawPath(body);
        p.setBrush(QColor(60, 160, 60));
        p.setPen(QPen(Qt::white, 1.2));
        p.drawEllipse(QPointF(25, 10), 6.5, 6.5);
        p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(25, 6.5), QPointF(25, 13.5));
        p.drawLine(QPointF(21.5, 10), QPointF(28.5, 10));
    } else if (name == QLatin1String("timesheets")) {
        p.setPen(outline);
        p.setBrush(kPaper);
        p.drawRect(QRectF(5, 2, 22, 28));
        p.setPen(QPen(kTeal, 1.4));
        for (int y = 8; y <= 26; y += 4) {
            p.drawLine(QPointF(8, y), QPointF(24, y));
        }
        p.drawLine(QPointF(15, 5), QPointF(15, 28));
    } else if (name == QLatin1String("lock")) {
        p.setPen(QPen(QColor(110, 110, 120), 3));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(9, 3, 14, 18), 0, 180 * 16);
        p.drawLine(QPointF(9, 12), QPointF(9, 15));
        p.drawLine(QPointF(23, 12), QPointF(23, 15));
        p.setPen(outline);
        p.setBrush(kAmber);
        p.drawRoundedRect(QRectF(5, 14, 22, 16), 3, 3);
        p.setBrush(kNavy);
        p.drawEllipse(QPointF(16, 21), 2.2, 2.2);
        p.drawRect(QRectF(15.2, 21, 1.6, 5));
    } else if (name == QLatin1String("help")) {
        p.setPen(outline);
        p.setBrush(QColor(40, 110, 200));
        p.drawEllipse(QPointF(16, 16), 14, 14);
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setBold(true);
        f.setPixelSize(22);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRectF(0, 0, 32, 32), Qt::AlignCenter, QStringLiteral("?"));
    } else if (name == QLatin1String("close")) {
        // A door with an arrow leaving it
        p.setPen(outline);
        p.setBrush(QColor(170, 110, 60));
        p.drawRect(QRectF(4, 3, 16, 26));
        p.setBrush(kAmber);
        p.drawEllipse(QPointF(16.5, 17), 1.4, 1.4);
        p.setPen(QPen(QColor(200, 40, 40), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(14, 12), QPointF(29, 12));
        p.drawLine(QPointF(24, 7), QPointF(29, 12));
        p.drawLine(QPointF(24, 17), QPointF(29, 12));
    } else if (name == QLatin1String("connect")) {
        p.setPen(outline);
        p.setBrush(QColor(90, 90, 100));
        p.drawRoundedRect(QRectF(3, 11, 12, 10), 2, 2);
        p.drawRect(QRectF(15, 13, 4, 2));
        p.drawRect(QRectF(15, 17, 4, 2));
        p.setBrush(QColor(60, 160, 60));
        p.drawRoundedRect(QRectF(20, 10, 10, 12), 2, 2);
        p.setPen(QPen(kNavy, 2));
        p.drawLine(QPointF(3, 16), QPointF(0, 16));
        p.drawLine(QPointF(30, 16), QPointF(32, 16));
    } else if (name == QLatin1String("upload")) {
        p.setPen(outline);
        p.setBrush(QColor(200, 210, 225));
        p.drawRect(QRectF(3, 22, 26, 7));
        p.setBrush(QColor(60, 160, 60));
        QPolygonF arrow({QPointF(16, 2), QPointF(26, 12), QPointF(20, 12), QPointF(20, 20),
                         QPointF(12, 20), QPointF(12, 12), QPointF(6, 12)});
        p.drawPolygon(arrow);
    } else if (name == QLatin1String("delete")) {
        p.setPen(outline);
        p.setBrush(QColor(200, 200, 205));
        p.drawRect(QRectF(8, 9, 16, 20));
        p.drawRect(QRectF(5, 5, 22, 4));
        p.drawRect(QRectF(13, 2, 6, 3));
        p.setPen(QPen(QColor(200, 40, 40), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(11, 13), QPointF(21, 25));
        p.drawLine(QPointF(21, 13), QPointF(11, 25));
    } else if (name == QLatin1String("changed")) {
        // A pencil across a line of writing
        p.setPen(QPen(kTeal, 1.6));
        p.drawLine(QPointF(3, 28), QPointF(29, 28));
        p.setPen(outline);
        p.setBrush(kAmber);
        QPolygonF pencil({QPointF(22, 3), QPointF(28, 9), QPointF(12, 25), QPointF(5, 27), QPointF(7, 20)});
        p.drawPolygon(pencil);
        p.setBrush(QColor(200, 60, 60));
        p.drawPolygon(QPolygonF({QPointF(22, 3), QPointF(28, 9), QPointF(25.5, 11.5), QPointF(19.5, 5.5)}));
    } else {
        // Unknown names get a neutral badge rather than nothing.
        p.setPen(outline);
        p.setBrush(kTeal);
        p.drawRoundedRect(QRectF(3, 3, 26, 26), 6, 6);
    }
    return pm;
}

} // namespace

QPixmap appIconPixmap(int s)
{
    QPixmap pm = transparent(s, s);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(s / 64.0, s / 64.0);
    drawCard(p, QRectF(20, 6, 40, 50));
    drawClockFace(p, QRectF(2, 10, 50, 50), kTeal);
    p.end();
    return pm;
}

QIcon appIcon()
{
    QIcon icon;
    for (int s : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(appIconPixmap(s));
    return icon;
}

QPixmap consoleBackground()
{
    QPixmap pm(1024, 768);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 768);
    sky.setColorAt(0, QColor(32, 72, 124));
    sky.setColorAt(1, QColor(14, 36, 66));
    p.fillRect(pm.rect(), sky);
    // A faint grid like the ruled lines of a timesheet
    p.setPen(QPen(QColor(255, 255, 255, 18), 1));
    for (int y = 0; y < 768; y += 32)
        p.drawLine(0, y, 1024, y);
    for (int x = 0; x < 1024; x += 128)
        p.drawLine(x, 0, x, 768);
    // A large, quiet clock on the right; everything stays clear of the bottom, which a short
    // client area crops.
    p.setOpacity(0.22);
    drawClockFace(p, QRectF(600, 150, 380, 380), QColor(200, 220, 240));
    p.setOpacity(1.0);
    QFont title(QStringLiteral("DejaVu Serif"));
    title.setPixelSize(52);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(255, 255, 255, 70));
    p.drawText(QRect(40, 500, 600, 70), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Zarvo Punch Clock"));
    QFont sub(QStringLiteral("DejaVu Sans"));
    sub.setPixelSize(20);
    p.setFont(sub);
    p.setPen(QColor(255, 255, 255, 60));
    p.drawText(QRect(44, 565, 600, 30), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Time and attendance for the small business"));
    return pm;
}

QPixmap clockPicture()
{
    QPixmap pm = transparent(128, 128);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    drawCard(p, QRectF(50, 14, 66, 90));
    drawClockFace(p, QRectF(4, 24, 96, 96), kTeal);
    return pm;
}

QPixmap logo()
{
    QPixmap pm = transparent(96, 96);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    QLinearGradient g(0, 0, 96, 96);
    g.setColorAt(0, kTeal.lighter(120));
    g.setColorAt(1, kNavy);
    p.setBrush(g);
    p.drawRoundedRect(QRectF(2, 2, 92, 92), 18, 18);
    QFont f(QStringLiteral("DejaVu Serif"));
    f.setBold(true);
    f.setPixelSize(64);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, -4, 70, 96), Qt::AlignCenter, QStringLiteral("Z"));
    drawClockFace(p, QRectF(52, 52, 38, 38), kAmber);
    return pm;
}

QIcon icon(const QString &name)
{
    QIcon icon;
    for (int s : {16, 24, 32, 48, 96})
        icon.addPixmap(iconPixmap(name, s));
    return icon;
}

QCursor pointer()
{
    // A pointing hand: white glove with a dark outline; the fingertip is the hot spot.
    QPixmap pm = transparent(32, 32);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath hand;
    hand.moveTo(10, 1.5);
    hand.cubicTo(12, 1.5, 13, 2.5, 13, 4.5);
    hand.lineTo(13, 12);
    hand.cubicTo(14, 10.5, 17, 10.5, 17.5, 12.5);
    hand.cubicTo(18.5, 11, 21.5, 11, 22, 13.5);
    hand.cubicTo(23, 12, 26, 12.5, 26, 15);
    hand.lineTo(26, 22);
    hand.cubicTo(26, 26, 24, 29, 20, 30);
    hand.lineTo(13, 30);
    hand.cubicTo(10, 29, 8, 26, 5, 21);
    hand.lineTo(3, 17.5);
    hand.cubicTo(2, 15.5, 4.5, 14, 6, 15.5);
    hand.lineTo(7, 17);
    hand.lineTo(7, 4.5);
    hand.cubicTo(7, 2.5, 8, 1.5, 10, 1.5);
    p.setPen(QPen(Qt::black, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    p.drawPath(hand);
    p.setPen(QPen(Qt::black, 1.0));
    p.drawLine(QPointF(13, 12), QPointF(13, 18));
    p.drawLine(QPointF(17.5, 12.5), QPointF(17.5, 18));
    p.drawLine(QPointF(22, 13.5), QPointF(22, 18.5));
    p.end();
    return QCursor(pm, 10, 2);
}

} // namespace zarvo::Artwork
