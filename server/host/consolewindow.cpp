#include "consolewindow.h"
#include "dialogs.h"
#include "innerlayout.h"
#include "keyboard.h"
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace {
WindowHost *g_host = nullptr;
}

void setWindowHost(WindowHost *host) { g_host = host; }
WindowHost *windowHost() { return g_host; }

ConsoleWindow::ConsoleWindow(QWidget *parent) : QWidget(parent)
{
    static const bool hooked = (zarvo::Dialogs::setAfterBox(&ConsoleWindow::afterBox), true);
    Q_UNUSED(hooked)
    zarvo::Keyboard::install(this);
    // Remembered here: the inner window's frame clears its focus when another window comes up.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now && isAncestorOf(now))
            m_lastFocus = now;
    });
}

void ConsoleWindow::afterBox(QWidget *parent)
{
    for (QWidget *w = parent; w; w = w->parentWidget())
        if (auto *inner = qobject_cast<ConsoleWindow *>(w))
            return inner->isLoaded() ? inner->enterWindow(false) : void();
}

void ConsoleWindow::enterWindow(bool opening)
{
    // The control of this window that had the focus last, if it can still take it; else where
    // typing starts.
    QWidget *last = opening ? nullptr : m_lastFocus.data();
    if (!last || last == this || !last->isEnabled() || !last->isVisible() || last->focusPolicy() == Qt::NoFocus)
        last = zarvo::Keyboard::firstInput(this);
    if (last)
        last->setFocus(Qt::OtherFocusReason);
    activated();
}

void ConsoleWindow::closeEvent(QCloseEvent *event)
{
    // Only the focus this window holds goes back: a window it opened on its way out keeps it.
    QWidget *focus = window()->focusWidget();
    if (m_focusConsoleOnClose && focus && isAncestorOf(focus))
        if (WindowHost *host = windowHost())
            if (QWidget *console = host->consoleWidget())
                console->setFocus();
    QWidget::closeEvent(event);
}

void ConsoleWindow::closeWindow()
{
    if (auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget()))
        frame->close();
    else
        close();
}

MdiWindowHost::MdiWindowHost(QMdiArea *area, QWidget *console)
    : QObject(area), m_area(area), m_console(console)
{
    connect(m_area, &QMdiArea::subWindowActivated, this, [](QMdiSubWindow *frame) {
        if (!frame)
            return;
        auto *w = qobject_cast<ConsoleWindow *>(frame->widget());
        if (w && w->isLoaded())
            w->enterWindow(false);
    });
}

ConsoleWindow *MdiWindowHost::find(const QString &key) const
{
    ConsoleWindow *w = m_windows.value(key).data();
    // A window whose frame was closed is on its way out: it no longer counts as open.
    if (w && w->parentWidget() && w->parentWidget()->isHidden() && w->isLoaded())
        return nullptr;
    return w;
}

ConsoleWindow *MdiWindowHost::showInside(const QString &key,
                                         const std::function<ConsoleWindow *()> &make)
{
    if (ConsoleWindow *open = find(key)) {
        auto *frame = qobject_cast<QMdiSubWindow *>(open->parentWidget());
        if (frame) {
            if (frame->isMinimized())
                frame->showNormal();
            m_area->setActiveSubWindow(frame);
            frame->raise();
        }
        return open;
    }
    ConsoleWindow *w = make();
    w->setAttribute(Qt::WA_DeleteOnClose);
    QMdiSubWindow *frame = m_area->addSubWindow(w);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->setWindowTitle(w->windowTitle());
    frame->setWindowIcon(w->windowIcon());
    m_windows.insert(key, w);
    QPointer<ConsoleWindow> guard(w);
    frame->show();
    InnerLayout::placeNew(m_area, frame);
    const QSize opened = frame->size();
    if (!guard || !w->load()) {
        // A window whose load failed is gone at once, even before its frame is deleted.
        m_windows.remove(key);
        if (guard)
            w->closeWindow();
        return nullptr;
    }
    if (!guard)
        return nullptr;
    w->m_loaded = true;
    if (frame->size() != opened)
        InnerLayout::placeNew(m_area, frame); // its load resized it: placed again, wholly in view
    m_area->setActiveSubWindow(frame);
    w->enterWindow(true);
    return w;
}
