#include "about.h"
#include "artwork.h"
#include "pointerzones.h"
#include "dialogs.h"
#include "uiutil.h"
#include <QGroupBox>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPushButton>

using zarvo::twipsRect;
namespace Artwork = zarvo::Artwork;

QString About::makerAddress() { return QStringLiteral("https://zarvo.example.com/"); }

About::About(QWidget *parent) : ConsoleWindow(parent)
{
    setObjectName(QStringLiteral("About"));
    setWindowTitle(QStringLiteral("About Zarvo Punch Clock System"));
    setWindowIcon(Artwork::appIcon());
    setFixedSize(zarvo::twips(7440), zarvo::twips(3600));

    auto *title = new QLabel(QStringLiteral("Zarvo Punch Clock"), this);
    title->setObjectName(QStringLiteral("Label1"));
    title->setGeometry(twipsRect(1920, 180, 5280, 600));
    QFont big = title->font();
    big.setPointSize(18);
    big.setBold(true);
    title->setFont(big);

    auto *image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setGeometry(twipsRect(240, 240, 1500, 1500));
    image->setPixmap(Artwork::logo());
    image->setAlignment(Qt::AlignCenter);

    const char *lines[] = {"Version 1.0", "Employee time clock with network terminals",
                           "Timesheets and payroll for the small business"};
    for (int i = 0; i < 3; ++i) {
        auto *l = new QLabel(QString::fromLatin1(lines[i]), this);
        l->setObjectName(QStringLiteral("Label%1").arg(i + 2));
        l->setGeometry(twipsRect(1920, 900 + i * 300, 5280, 285));
    }
    auto *maker = new QLabel(QStringLiteral("By : Morvane"), this);
    maker->setObjectName(QStringLiteral("Label5"));
    maker->setGeometry(twipsRect(1920, 2040, 2200, 285));

    m_link = new QLabel(makerAddress(), this);
    m_link->setObjectName(QStringLiteral("Label6"));
    m_link->setGeometry(twipsRect(1920, 2340, 2600, 285));
    m_link->setToolTip(QStringLiteral("click me!"));
    m_link->setStyleSheet(QStringLiteral("color: #1a4fa0; text-decoration: underline;"));
    m_link->installEventFilter(this);

    m_closeFrame = new QGroupBox(this);
    m_closeFrame->setObjectName(QStringLiteral("GroupBox1"));
    m_closeFrame->setGeometry(twipsRect(5940, 1980, 1260, 1440));
    m_close = new QPushButton(m_closeFrame);
    m_close->setObjectName(QStringLiteral("PushButton1"));
    m_close->setGeometry(twipsRect(120, 180, 1020, 1140));
    m_close->setIcon(Artwork::icon(QStringLiteral("close")));
    m_close->setIconSize(m_close->size() * 0.6);
    m_close->setToolTip(QStringLiteral("Close this window"));
    zarvo::installPointerZones(this, {m_close}, {m_closeFrame});
    connect(m_close, &QPushButton::clicked, this, &About::closeWindow);
}

bool About::load()
{
    // No maximise or minimise box on this window's frame.
    if (auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget())) {
        frame->setWindowFlags(Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                              | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
        frame->show();
    }
    return true;
}

bool About::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_link && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        zarvo::Dialogs::openWithDefaultHandler(makerAddress());
        return true;
    }
    return ConsoleWindow::eventFilter(watched, event);
}
