#include "punchstation.h"
#include "artwork.h"
#include "uiutil.h"
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace zarvo {

namespace {
QLabel *label(const char *name, const QString &text, QWidget *parent, const QRect &at)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(at);
    return l;
}
} // namespace

PunchStation buildPunchStation(QWidget *window, int clockLeft, int idLeft, int idTop)
{
    PunchStation s;
    s.dateTime = label("Label1", QString(), window, twipsRect(clockLeft, 240, 4815, 495));
    QFont times(QStringLiteral("Times New Roman"));
    times.setStyleHint(QFont::Serif);
    times.setPointSize(14);
    times.setBold(true);
    s.dateTime->setFont(times);
    s.dateTime->setAlignment(Qt::AlignCenter);

    s.picture = label("Picture1", QString(), window, twipsRect(360, 960, 2055, 2055));
    s.picture->setPixmap(Artwork::clockPicture());
    s.picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    label("Label2", QStringLiteral("Employee ID"), window, twipsRect(idLeft, idTop, 1335, 255));
    s.id = new QLineEdit(window);
    s.id->setObjectName(QStringLiteral("Text1"));
    s.id->setGeometry(twipsRect(idLeft, idTop + 240, 2895, 285));

    s.frame = new QGroupBox(window);
    s.frame->setObjectName(QStringLiteral("Frame1"));
    s.frame->setGeometry(twipsRect(120, 2880, 3015, 975));
    label("Label3", QStringLiteral("Name "), s.frame, twipsRect(120, 240, 600, 255));
    s.name = label("Label5", QString(), s.frame, twipsRect(720, 240, 2175, 255));
    label("Label4", QStringLiteral("Action "), s.frame, twipsRect(120, 480, 600, 255));
    s.action = label("Label6", QString(), s.frame, twipsRect(720, 480, 2175, 255));
    return s;
}

} // namespace zarvo
