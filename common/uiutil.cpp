#include "uiutil.h"
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

namespace zarvo {

int twips(int tw)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const qreal dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    return qRound(tw * dpi / 1440.0);
}

QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

QPushButton *makeButton(QWidget *parent, const char *objectName, const QString &caption, int minimumWidth)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(objectName));
    b->setMinimumWidth(minimumWidth);
    return b;
}

} // namespace zarvo
