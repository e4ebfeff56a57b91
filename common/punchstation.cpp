#include "punchstation.h"
#include "artwork.h"
#include "systemtexts.h"
#include "uiutil.h"
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace zarvo {

namespace {
// The result lines keep the layout's narrow widths, which the desktop's type overflows once
// the time carries AM or PM: the frame's type is made just small enough for the widest
// action line of any hour (a very long name may still be cut, as on any fixed layout).
void fitActionLine(QGroupBox *frame, const QLabel *action)
{
    QStringList texts;
    for (int hour = 0; hour < 24; ++hour)
        texts << QStringLiteral("Signed Out At ") + SystemTexts::time(QTime(hour, 58, 58));
    QFont font = frame->font();
    if (font.pointSizeF() <= 0)
        return; // a pixel-sized type is the desktop's deliberate choice
    const auto fits = [&] {
        const QFontMetrics metrics(font);
        for (const QString &t : std::as_const(texts))
            if (metrics.horizontalAdvance(t) > action->contentsRect().width())
                return false;
        return true;
    };
    while (!fits() && font.pointSizeF() > 6)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    frame->setFont(font);
}

// The captions "Name " and "Action " end close to where the result lines begin, and in the
// desktop's type "Action" all but touched its value: the result lines' text is indented just
// enough to leave an em between caption and value, their places in the layout unchanged.
void spaceFromCaptions(const QList<QLabel *> &captions, const QList<QLabel *> &lines)
{
    const QFontMetrics metrics(lines.first()->font());
    int captionEnd = 0;
    for (QLabel *c : captions) {
        const int text = metrics.horizontalAdvance(c->text().trimmed());
        c->resize(qMax(c->width(), text), c->height()); // a caption is never cut off
        captionEnd = qMax(captionEnd, c->x() + text);
    }
    const int indent = qMax(0, captionEnd + metrics.horizontalAdvance(QLatin1Char('M')) - lines.first()->x());
    for (QLabel *l : lines)
        l->setContentsMargins(indent, 0, 0, 0);
}

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
    QLabel *nameCaption = label("Label3", QStringLiteral("Name "), s.frame, twipsRect(120, 240, 600, 255));
    s.name = label("Label5", QString(), s.frame, twipsRect(720, 240, 2175, 255));
    QLabel *actionCaption = label("Label4", QStringLiteral("Action "), s.frame, twipsRect(120, 480, 600, 255));
    s.action = label("Label6", QString(), s.frame, twipsRect(720, 480, 2175, 255));
    // The indent narrows the action line, whose type may then shrink, which shortens the
    // captions in turn: a second round settles both.
    for (int round = 0; round < 2; ++round) {
        spaceFromCaptions({nameCaption, actionCaption}, {s.name, s.action});
        fitActionLine(s.frame, s.action);
    }
    // Under the result frame, in line with its captions, across the free width below the buttons.
    s.hours = label("Label7", QString(), window, twipsRect(240, 3870, 4440, 255));
    s.hours->setFont(s.frame->font());
    return s;
}

QString hoursLine(const QString &today, const QString &week)
{
    return QStringLiteral("Today ") + today + QStringLiteral(" h \u00B7 This week ") + week + QStringLiteral(" h");
}

void showHoursLine(QLabel *line, const QString &text)
{
    auto *timer = line->findChild<QTimer *>(QStringLiteral("HoursLineTimer"), Qt::FindDirectChildrenOnly);
    if (!timer) {
        timer = new QTimer(line);
        timer->setObjectName(QStringLiteral("HoursLineTimer"));
        timer->setSingleShot(true);
        timer->setInterval(HoursLineShownMs);
        QObject::connect(timer, &QTimer::timeout, line, &QLabel::clear);
    }
    line->setText(text);
    if (text.isEmpty())
        timer->stop();
    else
        timer->start();
}

QPushButton *buildCloseButton(QWidget *window, const QRect &frame, const QRect &button)
{
    auto *box = new QGroupBox(window);
    box->setObjectName(QStringLiteral("GroupBox1"));
    box->setGeometry(twipsRect(frame.x(), frame.y(), frame.width(), frame.height()));
    auto *close = new QPushButton(box);
    close->setObjectName(QStringLiteral("PushButton1"));
    close->setGeometry(twipsRect(button.x(), button.y(), button.width(), button.height()));
    close->setIcon(Artwork::icon(QStringLiteral("close")));
    close->setIconSize(close->size() * 0.6);
    close->setToolTip(QStringLiteral("Close this Window"));
    return close;
}

} // namespace zarvo
