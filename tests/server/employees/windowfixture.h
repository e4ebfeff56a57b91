#pragma once
// A fresh punched.mdb as the shared connection, a box recorder and a console area to open
// windows in, for the employee and company window tests.

#include "boxrecorder.h"
#include "clock.h"
#include "consolewindow.h"
#include "dialogs.h"
#include "module1.h"
#include "testdb.h"
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

namespace zarvo::test {

struct WindowFixture {
    ServerDb t;
    BoxRecorder boxes;
    QMdiArea area;
    MdiWindowHost host{&area, &area};

    WindowFixture()
    {
        Dialogs::setProgramTitle(QStringLiteral("Zarvo Punch Server"));
        Module1::instance().db.open(t.path, Module1::databasePassword());
        Module1::instance().SelectedEmpID.clear();
        setWindowHost(&host);
        area.resize(1000, 720);
        area.show();
        area.activateWindow();
        if (!QTest::qWaitForWindowActive(&area))
            qWarning("the console area did not become active");
    }
    ~WindowFixture()
    {
        area.closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        setWindowHost(nullptr);
        Module1::instance().db.close();
        Module1::instance().SelectedEmpID.clear();
    }
    DatabaseSession &db() { return Module1::instance().db; }
    /// The inner window's frame is open (not closed, not on its way out).
    template <class T> bool isOpen() const { return findInsideConsole<T>() != nullptr; }
};

/// The named control of a window; a missing one ends the test run loudly.
template <class T> T *ctl(const QObject *window, const QString &name)
{
    T *c = window->findChild<T *>(name);
    if (!c)
        qFatal("no control named %s", qPrintable(name));
    return c;
}

/// Saves a picture of the window beside the test program, for looking at its layout.
inline void renderToPng(QWidget *window, const QString &file)
{
    QWidget *frame = window->parentWidget() ? window->parentWidget() : window;
    QApplication::processEvents(); // let pending layout requests settle first
    frame->grab().save(QCoreApplication::applicationDirPath() + QLatin1Char('/') + file);
}

} // namespace zarvo::test
