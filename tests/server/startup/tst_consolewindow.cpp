// Windows inside the console: at most one of each, brought forward rather than reloaded, and a
// window whose load fails is gone at once.
#include "consolewindow.h"
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

namespace {
int g_loads = 0;
int g_activations = 0;
bool g_loadSucceeds = true;
} // namespace

class Probe : public ConsoleWindow {
    Q_OBJECT
public:
    bool load() override
    {
        ++g_loads;
        return g_loadSucceeds;
    }
    void activated() override { ++g_activations; }
};

class Other : public ConsoleWindow {
    Q_OBJECT
};

class TestConsoleWindow : public QObject {
    Q_OBJECT

    QMainWindow console;
    QMdiArea *area = nullptr;
    MdiWindowHost *host = nullptr;

private slots:
    void init()
    {
        area = new QMdiArea;
        console.setCentralWidget(area);
        host = new MdiWindowHost(area, &console);
        setWindowHost(host);
        console.show();
        g_loads = g_activations = 0;
        g_loadSucceeds = true;
    }
    void cleanup()
    {
        setWindowHost(nullptr);
        delete console.takeCentralWidget();
    }

    void openingTwiceBringsTheSameWindowForward()
    {
        Probe *first = ShowInsideConsole<Probe>();
        QVERIFY(first);
        QVERIFY(ShowInsideConsole<Other>());
        QCOMPARE(area->activeSubWindow()->widget()->metaObject()->className(), "Other");
        Probe *again = ShowInsideConsole<Probe>();
        QCOMPARE(again, first);
        QCOMPARE(g_loads, 1);
        QCOMPARE(area->activeSubWindow()->widget(), first);
        QCOMPARE(area->subWindowList().size(), 2);
        QVERIFY(g_activations >= 2); // once when opened, again when brought forward
    }

    void aMinimisedWindowComesBack()
    {
        Probe *w = ShowInsideConsole<Probe>();
        auto *frame = qobject_cast<QMdiSubWindow *>(w->parentWidget());
        frame->showMinimized();
        QCOMPARE(ShowInsideConsole<Probe>(), w);
        QVERIFY(!frame->isMinimized());
    }

    void aClosedWindowOpensAfresh()
    {
        Probe *w = ShowInsideConsole<Probe>();
        w->closeWindow();
        QCOMPARE(findInsideConsole<Probe>(), nullptr);
        Probe *fresh = ShowInsideConsole<Probe>();
        QVERIFY(fresh);
        QCOMPARE(g_loads, 2);
        QCOMPARE(findInsideConsole<Probe>(), fresh);
    }

    void aFailedLoadLeavesNoWindow()
    {
        g_loadSucceeds = false;
        QCOMPARE(ShowInsideConsole<Probe>(), nullptr);
        QCOMPARE(findInsideConsole<Probe>(), nullptr);
        QCOMPARE(g_activations, 0); // never activated before its load succeeded
        // Asked again at once, before the failed one is deleted: it loads again.
        QCOMPARE(ShowInsideConsole<Probe>(), nullptr);
        QCOMPARE(g_loads, 2);
        g_loadSucceeds = true;
        QVERIFY(ShowInsideConsole<Probe>());
        QTRY_COMPARE(area->subWindowList().size(), 1);
    }
};

QTEST_MAIN(TestConsoleWindow)
#include "tst_consolewindow.moc"
