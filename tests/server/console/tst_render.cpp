// Renders each of the console's own windows and the artwork to PNG files under the build
// folder (screens/), for looking at; checks that each picture has the size it should.
#include "about.h"
#include "adminpass.h"
#include "artwork.h"
#include "clockwindow.h"
#include "consolefixture.h"
#include "uiutil.h"
#include <QDir>
#include <QPainter>

using namespace ConsoleCommands;

class TestRender : public QObject {
    Q_OBJECT
    ConsoleFixture f;
    QString folder;

    void save(QWidget *w, const QString &name)
    {
        const QPixmap shot = w->grab();
        QVERIFY(!shot.isNull());
        const QString path = folder + "/" + name + ".png";
        QVERIFY(shot.save(path));
        QVERIFY(QFileInfo(path).size() > 1000);
    }

private slots:
    void initTestCase()
    {
        folder = QCoreApplication::applicationDirPath() + "/screens";
        QVERIFY(QDir().mkpath(folder));
        QApplication::setStyle("Fusion");
    }
    void init() { QVERIFY(f.start()); }
    void cleanup() { f.stop(); }

    void windows()
    {
        f.console->resize(1024, 768);
        Module1::instance().setAdminLocked(false);
        zarvo::test::addEmployee(Module1::instance().db, "E100", "Ann", "Lee");
        f.console->invoke(ID_CLOCK);
        Clock *clock = findInsideConsole<Clock>();
        QVERIFY(clock);
        QTest::keyClicks(clock->findChild<QLineEdit *>("Text1"), "E100");
        QTest::keyClick(clock->findChild<QLineEdit *>("Text1"), Qt::Key_Return);
        QCOMPARE(clock->size(), QSize(zarvo::twips(6675), zarvo::twips(4215)));
        save(clock, "clock");
        f.console->invoke(ID_ABOUTVELOPUNCHCLOCK);
        save(findInsideConsole<About>(), "about");
        f.console->invoke(ID_LOGIN);
        save(findInsideConsole<LogIn>(), "login");
        f.console->invoke(ID_CHANGEADMINPASSWORD);
        save(findInsideConsole<AdminPass>(), "adminpass");
        f.console->mdiArea()->cascadeSubWindows();
        save(f.console.get(), "console");
        f.console->mdiArea()->closeAllSubWindows();
        Module1::instance().setAdminLocked(true);
        save(f.console.get(), "console-locked");
    }

    void artwork()
    {
        namespace A = zarvo::Artwork;
        QCOMPARE(A::consoleBackground().size(), QSize(1024, 768));
        QCOMPARE(A::clockPicture().size(), QSize(128, 128));
        QVERIFY(!A::logo().isNull());
        QVERIFY(!A::appIcon().pixmap(32).isNull());
        QCOMPARE(A::pointer().shape(), Qt::BitmapCursor);
        const QStringList names = {"login", "employee", "timesheets", "clock", "lock",
                                   "help", "close", "connect", "upload", "delete"};
        QImage sheet(names.size() * 56 + 8, 200, QImage::Format_ARGB32);
        sheet.fill(Qt::white);
        QPainter p(&sheet);
        QSet<qint64> distinct;
        for (int i = 0; i < names.size(); ++i) {
            const QPixmap pm = A::icon(names[i]).pixmap(48);
            QCOMPARE(pm.size(), QSize(48, 48));
            distinct.insert(pm.toImage().cacheKey() ? qHash(QByteArray((const char *)pm.toImage().constBits(), pm.toImage().sizeInBytes())) : 0);
            p.drawPixmap(8 + i * 56, 8, pm);
        }
        QCOMPARE(distinct.size(), names.size()); // every name has a picture of its own
        p.drawPixmap(8, 64, A::clockPicture());
        p.drawPixmap(144, 64, A::logo());
        p.drawPixmap(248, 64, A::pointer().pixmap());
        p.drawPixmap(288, 64, A::appIcon().pixmap(64));
        p.end();
        QVERIFY(sheet.save(folder + "/artwork.png"));
        QVERIFY(A::consoleBackground().save(folder + "/background.png"));
    }
};

QTEST_MAIN(TestRender)
#include "tst_render.moc"
