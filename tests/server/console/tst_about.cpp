// The About window: its texts, the web link, the frame without maximise or minimise box, the
// pointer over its close button, and closing.
#include "about.h"
#include "artwork.h"
#include "consolefixture.h"
#include <QGroupBox>
#include <QLabel>

using namespace ConsoleCommands;

class TestAbout : public QObject {
    Q_OBJECT
    ConsoleFixture f;

    About *open()
    {
        f.console->invoke(ID_ABOUTVELOPUNCHCLOCK);
        return findInsideConsole<About>();
    }
    QLabel *label(About *w, int n) { return w->findChild<QLabel *>(QString("Label%1").arg(n)); }
    void move(QWidget *target, QPointF at)
    {
        QMouseEvent e(QEvent::MouseMove, at, target->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(target, &e);
    }

private slots:
    void init() { QVERIFY(f.start()); }
    void cleanup() { f.stop(); }

    void contents()
    {
        About *w = open();
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QString("About Zarvo Punch Clock System"));
        QCOMPARE(label(w, 1)->text(), QString("Zarvo Punch Clock"));
        QVERIFY(label(w, 1)->font().bold());
        QVERIFY(label(w, 1)->font().pointSizeF() > label(w, 2)->font().pointSizeF());
        for (int n : {2, 3, 4})
            QVERIFY(!label(w, n)->text().isEmpty());
        QVERIFY(label(w, 2)->text().contains("Version"));
        QCOMPARE(label(w, 5)->text(), QString("By : Morvane"));
        QCOMPARE(label(w, 6)->text(), QString("https://zarvo.example.com/"));
        QCOMPARE(label(w, 6)->toolTip(), QString("click me!"));
        QVERIFY(!w->findChild<QLabel *>("Image1")->pixmap().isNull());
        auto *close = w->findChild<QPushButton *>("PushButton1");
        QCOMPARE(close->toolTip(), QString("Close this window"));
        QVERIFY(!close->icon().isNull());
        QCOMPARE(close->parentWidget(), w->findChild<QGroupBox *>("GroupBox1"));
    }

    void noMaximiseOrMinimiseBox()
    {
        About *w = open();
        auto *frame = qobject_cast<QMdiSubWindow *>(w->parentWidget());
        QVERIFY(frame);
        QVERIFY(frame->isVisible());
        QVERIFY(!(frame->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(frame->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(frame->windowFlags() & Qt::WindowCloseButtonHint);
    }

    void linkOpensTheMakersPageQuietly()
    {
        About *w = open();
        const QString before = label(w, 6)->text();
        QTest::mouseClick(label(w, 6), Qt::LeftButton);
        QCOMPARE(f.boxes->opened, QStringList({"https://zarvo.example.com/"}));
        QVERIFY(f.boxes->boxes.isEmpty());
        QCOMPARE(label(w, 6)->text(), before);
        QCOMPARE(findInsideConsole<About>(), w);
        QTest::mouseClick(label(w, 5), Qt::LeftButton); // other labels are no links
        QCOMPARE(f.boxes->opened.size(), 1);
    }

    void pointerOverTheCloseButton()
    {
        About *w = open();
        auto *button = w->findChild<QPushButton *>("PushButton1");
        auto *frame = w->findChild<QGroupBox *>("GroupBox1");
        QCOMPARE(w->cursor().shape(), Qt::ArrowCursor);
        move(button, QPointF(4, 4)); // the button passes plain moves on to its frame
        QCOMPARE(w->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(w->cursor().hotSpot(), zarvo::Artwork::pointer().hotSpot());
        move(label(w, 5), QPointF(2, 2));
        QCOMPARE(w->cursor().shape(), Qt::BitmapCursor);
        move(frame, QPointF(2, 2));
        QCOMPARE(w->cursor().shape(), Qt::ArrowCursor);
    }

    void closeButtonCloses()
    {
        About *w = open();
        QTest::mouseClick(w->findChild<QPushButton *>("PushButton1"), Qt::LeftButton);
        QTRY_VERIFY(!findInsideConsole<About>());
        QTRY_COMPARE(f.windowCount(), 0);
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
