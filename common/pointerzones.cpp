#include "pointerzones.h"
#include "artwork.h"
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

namespace zarvo {
namespace {

class PointerZones : public QObject {
public:
    PointerZones(QWidget *window, const QList<QWidget *> &buttons, const QList<QWidget *> &frames)
        : QObject(window), m_window(window)
    {
        for (QWidget *b : buttons) {
            m_buttons.append(b);
            b->setMouseTracking(true);
            b->installEventFilter(this);
        }
        for (QWidget *f : frames) {
            m_frames.append(f);
            f->setMouseTracking(true);
            f->installEventFilter(this);
        }
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Enter && event->type() != QEvent::MouseMove)
            return false;
        auto *widget = static_cast<QWidget *>(watched);
        const QPointF at = event->type() == QEvent::Enter ? static_cast<QEnterEvent *>(event)->position()
                                                          : static_cast<QMouseEvent *>(event)->position();
        if (overButton(widget, at.toPoint()))
            m_window->setCursor(Artwork::pointer());
        else if (m_frames.contains(widget))
            m_window->unsetCursor();
        return false;
    }

private:
    // A button that ignores plain moves passes them on to its frame, so a frame's event may
    // still be over one of its buttons.
    bool overButton(QWidget *widget, const QPoint &at) const
    {
        for (const QPointer<QWidget> &b : m_buttons) {
            if (!b)
                continue;
            if (b == widget)
                return true;
            if (widget->isAncestorOf(b) && b->isVisible() && b->rect().contains(b->mapFrom(widget, at)))
                return true;
        }
        return false;
    }

    QWidget *m_window;
    QList<QPointer<QWidget>> m_buttons;
    QList<QWidget *> m_frames;
};

} // namespace

void installPointerZones(QWidget *window, const QList<QWidget *> &buttons, const QList<QWidget *> &frames)
{
    new PointerZones(window, buttons, frames);
}

} // namespace zarvo
