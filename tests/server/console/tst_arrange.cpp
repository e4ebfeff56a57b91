// The console's Window commands as the user sees them: "Tile" fits the open windows into the
// console as it is, without resizing the console or stretching a window of fixed layout;
// "Cascade" and new windows go in a cascade from the top-left, wholly in view.
#include "company.h"
#include "consolefixture.h"
#include "emptable.h"
#include "innerlayout.h"
#include <QDir>
#include <QRegularExpression>
#include <QStyle>

using namespace ConsoleCommands;

Q_DECLARE_METATYPE(InnerLayout::Tile)

namespace {
const QList<int> kSix = {ID_LOGIN, ID_CLOCK, ID_COMPANYINFO, ID_ABOUTVELOPUNCHCLOCK,
                         ID_CHANGEADMINPASSWORD, ID_EMPLOYEETABLE};

QSize chromeOf(const QMdiSubWindow *frame)
{
    const QMargins m = frame->contentsMargins();
    return {m.left() + m.right(), m.top() + m.bottom()};
}
} // namespace

class TestArrange : public QObject {
    Q_OBJECT
    ConsoleFixture f;

    QList<QMdiSubWindow *> open(const QList<int> &commands)
    {
        for (int id : commands)
            f.console->invoke(id);
        return f.console->mdiArea()->subWindowList(QMdiArea::CreationOrder);
    }
    QRect client() const { return f.console->mdiArea()->viewport()->rect(); }

private slots:
    void initTestCase()
    {
        QApplication::setStyle("Fusion");
        QVERIFY(QDir().mkpath(QCoreApplication::applicationDirPath() + "/screens"));
    }
    void init()
    {
        QVERIFY(f.start());
        Module1::instance().setAdminLocked(false);
    }
    void cleanup() { f.stop(); }

    void tileFitsWindowsIntoTheConsoleAsItIs_data()
    {
        QTest::addColumn<QSize>("console");
        QTest::addColumn<QList<int>>("commands");
        QTest::newRow("six windows, 1024x768") << QSize(1024, 768) << kSix;
        QTest::newRow("six windows, 1280x1000") << QSize(1280, 1000) << kSix;
        QTest::newRow("six windows, 800x600") << QSize(800, 600) << kSix;
        QTest::newRow("two windows, 1024x768") << QSize(1024, 768) << QList<int>{ID_CLOCK, ID_LOGIN};
    }

    void tileFitsWindowsIntoTheConsoleAsItIs()
    {
        QFETCH(QSize, console);
        QFETCH(QList<int>, commands);
        f.console->resize(console);
        const QList<QMdiSubWindow *> frames = open(commands);
        QCOMPARE(frames.size(), commands.size());
        QHash<QMdiSubWindow *, QSize> opened;
        for (QMdiSubWindow *w : frames)
            opened.insert(w, w->size());

        f.action(ID_WINDOW_TILE_HORZ)->trigger();
        QCoreApplication::processEvents();
        const QImage shot = f.console->grab().toImage();
        const QString name = QString(QTest::currentDataTag()).replace(QRegularExpression("[^a-z0-9]+"), "-");
        QVERIFY(shot.save(QCoreApplication::applicationDirPath() + "/screens/tile-" + name + ".png"));

        QCOMPARE(f.console->size(), console);
        QCOMPARE(shot.size(), console);
        const QList<QMdiSubWindow *> stacked = f.console->mdiArea()->subWindowList(QMdiArea::StackingOrder);
        bool anyOverlap = false;
        for (QMdiSubWindow *w : frames) {
            const QString what = w->windowTitle();
            QVERIFY2(client().contains(w->geometry()), qPrintable(what));
            // The window fills its frame: no grey margin beside a fixed layout.
            QCOMPARE(w->widget()->size() + chromeOf(w), w->size());
            const bool fixed = w->widget()->minimumSize() == w->widget()->maximumSize();
            if (fixed)
                QVERIFY2(w->size() == opened[w], qPrintable(what));
            else if (!(w->widget()->sizePolicy().horizontalPolicy() & QSizePolicy::ExpandFlag))
                QVERIFY2(w->width() <= opened[w].width() && w->height() <= opened[w].height(), qPrintable(what));
            // Its title bar's left end is not covered by a window stacked above it.
            const QPoint corner = w->geometry().topLeft() + QPoint(4, 4);
            for (qsizetype i = stacked.indexOf(w) + 1; i < stacked.size(); ++i)
                QVERIFY2(!stacked[i]->geometry().contains(corner), qPrintable(what + " under " + stacked[i]->windowTitle()));
            for (QMdiSubWindow *other : frames)
                anyOverlap |= other != w && other->geometry().intersects(w->geometry());
        }
        if (commands.size() == 2)
            QVERIFY(!anyOverlap);

        // Back to a smaller console, tiled again: everything in view, the console as it is.
        f.console->resize(console * 0.9);
        QCoreApplication::processEvents();
        f.action(ID_WINDOW_TILE_HORZ)->trigger();
        QCOMPARE(f.console->size(), console * 0.9);
        for (QMdiSubWindow *w : frames)
            QVERIFY2(client().contains(w->geometry()), qPrintable(w->windowTitle()));
    }

    void cascadeKeepsEveryWindowInViewAtItsSize()
    {
        f.console->resize(1024, 768);
        const QList<QMdiSubWindow *> frames = open(kSix);
        f.action(ID_WINDOW_CASCADE)->trigger();
        QCoreApplication::processEvents();
        QVERIFY(f.console->grab().save(QCoreApplication::applicationDirPath() + "/screens/cascade.png"));
        QCOMPARE(f.console->size(), QSize(1024, 768));
        const int step = frames[0]->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, frames[0]);
        for (QMdiSubWindow *w : frames) {
            QVERIFY2(client().contains(w->geometry()), qPrintable(w->windowTitle()));
            QCOMPARE(w->widget()->size() + chromeOf(w), w->size());
            QCOMPARE(w->x() % step, 0);
            QCOMPARE(w->x(), w->y());
        }
        // One title bar's height apart, every title in view, the last opened on top.
        for (int i = 1; i < frames.size(); ++i)
            QCOMPARE(frames[i]->pos(), frames[i - 1]->pos() + QPoint(step, step));
        QCOMPARE(f.console->mdiArea()->subWindowList(QMdiArea::StackingOrder), frames);
    }

    void tilesOfAGrid_data()
    {
        using T = InnerLayout::Tile;
        QTest::addColumn<QSize>("area");
        QTest::addColumn<QList<T>>("windows");
        QTest::addColumn<QList<QRect>>("expected");
        const T fixed{{300, 200}, {300, 200}, false};
        const T form{{400, 300}, {200, 150}, false};
        const T grid{{500, 300}, {200, 150}, true};
        QTest::newRow("fixed keep their size in the cell's corner")
            << QSize(1000, 600) << QList<T>{fixed, fixed}
            << QList<QRect>{{0, 0, 300, 200}, {500, 0, 300, 200}};
        QTest::newRow("a form shrinks, a grid grows to its cell")
            << QSize(600, 600) << QList<T>{form, grid, fixed, fixed}
            << QList<QRect>{{0, 0, 300, 300}, {300, 0, 300, 300}, {0, 300, 300, 200}, {300, 300, 300, 200}};
        QTest::newRow("too large for its cell: moved back inside")
            << QSize(500, 300) << QList<T>{fixed, fixed}
            << QList<QRect>{{0, 0, 300, 200}, {200, 0, 300, 200}};
        QTest::newRow("a tall area stacks")
            << QSize(320, 700) << QList<T>{fixed, fixed, fixed}
            << QList<QRect>{{0, 0, 300, 200}, {0, 233, 300, 200}, {0, 466, 300, 200}};
    }

    void tilesOfAGrid()
    {
        QFETCH(QSize, area);
        QFETCH(QList<InnerLayout::Tile>, windows);
        QFETCH(QList<QRect>, expected);
        QCOMPARE(InnerLayout::tiles(area, windows), expected);
    }

    void newWindowsCascadeFromTheTopLeft()
    {
        f.console->resize(1024, 768);
        const QList<QMdiSubWindow *> frames = open(kSix);
        const int step = frames[0]->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, frames[0]);
        QCOMPARE(frames[0]->pos(), QPoint(0, 0));
        QCOMPARE(frames[1]->pos(), QPoint(step, step));
        QList<QPoint> corners;
        for (QMdiSubWindow *w : frames) {
            QVERIFY2(client().contains(w->geometry()), qPrintable(w->windowTitle()));
            QCOMPARE(w->x(), w->y());
            // Each window its own corner, but for the table, as wide as the console allows.
            if (!qobject_cast<EmpTable *>(w->widget()))
                QVERIFY2(!corners.contains(w->pos()), qPrintable(w->windowTitle()));
            corners.append(w->pos());
        }
        // A closed window's place is the next one's.
        findInsideConsole<Company>()->closeWindow();
        QTRY_COMPARE(f.windowCount(), 5);
        f.console->invoke(ID_COMPANYINFO);
        QCOMPARE(findInsideConsole<Company>()->parentWidget()->pos(), QPoint(2 * step, 2 * step));
    }

    void cascadeWrapsAndKeepsWindowsInView_data()
    {
        QTest::addColumn<QSize>("area");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QList<QPoint>>("taken");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("first") << QSize(800, 600) << QSize(300, 200) << QList<QPoint>{} << QPoint(0, 0);
        QTest::newRow("next free") << QSize(800, 600) << QSize(300, 200) << QList<QPoint>{{0, 0}, {20, 20}}
                                   << QPoint(40, 40);
        QTest::newRow("gap reused") << QSize(800, 600) << QSize(300, 200) << QList<QPoint>{{0, 0}, {40, 40}}
                                    << QPoint(20, 20);
        QTest::newRow("wraps when the rest would leave the area")
            << QSize(340, 240) << QSize(300, 200) << QList<QPoint>{{0, 0}, {20, 20}, {40, 40}} << QPoint(0, 0);
        QTest::newRow("round again to the least shared point")
            << QSize(340, 240) << QSize(300, 200) << QList<QPoint>{{0, 0}, {20, 20}, {40, 40}, {0, 0}, {40, 40}}
            << QPoint(20, 20);
        QTest::newRow("larger than the area") << QSize(200, 100) << QSize(300, 200) << QList<QPoint>{}
                                              << QPoint(0, 0);
    }

    void cascadeWrapsAndKeepsWindowsInView()
    {
        QFETCH(QSize, area);
        QFETCH(QSize, size);
        QFETCH(QList<QPoint>, taken);
        QFETCH(QPoint, expected);
        QCOMPARE(InnerLayout::cascadePoint(area, size, taken, 20), expected);
    }
};

QTEST_MAIN(TestArrange)
#include "tst_arrange.moc"
