// The console: its command table, menu tree and toolbar, the administrator lock, opening each
// command's window once, the help files and the built-in View and Window commands.
#include "about.h"
#include "adminpass.h"
#include "clockwindow.h"
#include "company.h"
#include "consolefixture.h"
#include "employee.h"
#include "emptable.h"
#include "punchserver.h"
#include "searchid.h"
#include "terminals.h"
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QToolButton>
#include <QTemporaryFile>
#include <QToolBar>

using namespace ConsoleCommands;
using zarvo::BoxIcon;

namespace {
const QList<int> kAdminCommands = {ID_TIMESHEETS, ID_NEWEMPLOYEE, ID_CHANGEADMINPASSWORD,
                                   ID_PAYROLLREPORTS, ID_EMPLOYEETABLE, ID_CHANGEEMPLOYEEID,
                                   ID_COMPANYINFO, ID_CHANGELOG};
const QList<int> kAlwaysOn = {ID_TERMINALS, ID_EXIT, ID_LOGIN, ID_CLOCK, ID_LOCK, ID_HELP_BUTT,
                              ID_MANUAL, ID_ABOUTVELOPUNCHCLOCK};
const QList<int> kEdit = {ID_EDIT_UNDO, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE};

/// A menu's entries as captions, a separator as "-".
QStringList entries(const QList<QAction *> &actions)
{
    QStringList out;
    for (QAction *a : actions)
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}
} // namespace

class TestConsole : public QObject {
    Q_OBJECT
    ConsoleFixture f;

    QMenu *menu(const char *name) { return f.console->findChild<QMenu *>(QString::fromLatin1(name)); }
    void verifyStates(bool locked)
    {
        for (int id : kAdminCommands)
            QVERIFY2(f.action(id)->isEnabled() == !locked, qPrintable(f.action(id)->objectName()));
        for (int id : kAlwaysOn)
            QVERIFY2(f.action(id)->isEnabled(), qPrintable(f.action(id)->objectName()));
        for (int id : kEdit)
            QVERIFY2(!f.action(id)->isEnabled(), qPrintable(f.action(id)->objectName()));
        // The menus themselves always open: locked, the Administrator menu shows its entries
        // disabled rather than being disabled as a whole.
        for (const char *m : {"menuFile", "menuEdit", "menuView", "menuAdministrator", "menuWindow", "menuHelp"})
            QVERIFY2(menu(m)->menuAction()->isEnabled(), m);
    }

private slots:
    void init() { QVERIFY(f.start()); }
    void cleanup() { f.stop(); }

    void titleAndLoad()
    {
        QCOMPARE(f.console->windowTitle(), QString("Zarvo Punch Clock System "));
        QVERIFY(!f.console->windowIcon().isNull());
        QVERIFY(Module1::instance().adminLocked());
        QVERIFY(f.console->punchServer());
        QVERIFY(f.console->punchServer()->isListening());
        QVERIFY(f.boxes->boxes.isEmpty());
    }

    void commandTable_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("tooltip");
        QTest::addColumn<QString>("statusTip");
        QTest::addColumn<QString>("shortcut");
        auto own = [](int id, const char *name, const char *caption) {
            QTest::newRow(name) << id << name << caption << caption << "" << "";
        };
        own(1020, "ID_HELP_BUTT", "Help");
        own(1022, "ID_LOGIN", "Log-In");
        own(1023, "ID_TIMESHEETS", "Time Sheets");
        own(1024, "ID_NEWEMPLOYEE", "New Employee");
        own(1026, "ID_CLOCK", "Clock");
        own(1027, "ID_LOCK", "Lock");
        own(1029, "ID_ABOUTVELOPUNCHCLOCK", "About Zarvo Punch Clock");
        own(1030, "ID_MANUAL", "Manual");
        own(1033, "ID_CHANGEADMINPASSWORD", "Change Admin Password");
        own(1034, "ID_EXIT", "Exit");
        own(1035, "ID_PAYROLLREPORTS", "Payroll Reports");
        own(1036, "ID_EMPLOYEETABLE", "Employee Table");
        own(1037, "ID_CHANGEEMPLOYEEID", "Change Employee ID");
        own(1038, "ID_TERMINALS", "Terminals");
        own(1039, "ID_COMPANYINFO", "Company Info");
        own(1040, "ID_CHANGELOG", "Change Log");
        QTest::newRow("undo") << 57643 << "ID_EDIT_UNDO" << "&Undo" << "Undo" << "Undo the last action" << "Ctrl+Z";
        QTest::newRow("cut") << 57635 << "ID_EDIT_CUT" << "Cu&t" << "Cut"
                             << "Cut the selection and put it on the Clipboard" << "Ctrl+X";
        QTest::newRow("copy") << 57634 << "ID_EDIT_COPY" << "&Copy" << "Copy"
                              << "Copy the selection and put it on the Clipboard" << "Ctrl+C";
        QTest::newRow("paste") << 57637 << "ID_EDIT_PASTE" << "&Paste" << "Paste" << "Insert Clipboard contents" << "Ctrl+V";
        QTest::newRow("status bar") << 59393 << "ID_VIEW_STATUS_BAR" << "&Status Bar" << "Toggle StatusBar"
                                    << "Show or hide the status bar" << "";
        QTest::newRow("cascade") << 57650 << "ID_WINDOW_CASCADE" << "&Cascade" << "Cascade Windows"
                                 << "Arrange windows so they overlap" << "";
        QTest::newRow("tile") << 57651 << "ID_WINDOW_TILE_HORZ" << "&Tile" << "Tile Windows"
                              << "Arrange windows as non-overlapping tiles" << "";
        QTest::newRow("arrange") << 57649 << "ID_WINDOW_ARRANGE" << "&Arrange Icons" << "Arrange Icons"
                                 << "Arrange icons at the bottom of the window" << "";
    }
    void commandTable()
    {
        QFETCH(int, id);
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, tooltip);
        QFETCH(QString, statusTip);
        QFETCH(QString, shortcut);
        const auto found = f.console->findChildren<QAction *>(name);
        QCOMPARE(found.size(), 1); // one action, however often it is placed
        QAction *a = found.first();
        QCOMPARE(a, f.action(id));
        QCOMPARE(a->property("commandId").toInt(), id);
        QCOMPARE(a->text(), caption);
        QCOMPARE(a->toolTip(), tooltip);
        QCOMPARE(a->statusTip(), statusTip);
        QCOMPARE(a->shortcut(), QKeySequence(shortcut));
    }

    void menuTree()
    {
        QMenuBar *bar = f.console->menuBar();
        QCOMPARE(bar->windowTitle(), QString("Menu Bar"));
        QCOMPARE(entries(bar->actions()),
                 QStringList({"&File", "&Edit", "&View", "Administrator", "&Window", "Help"}));
        QCOMPARE(bar->actions().at(3)->objectName(), QString("ID_ADMINISTRATOR"));
        QCOMPARE(bar->actions().at(3)->property("commandId").toInt(), 1031);
        QCOMPARE(bar->actions().at(5)->objectName(), QString("ID_HELP"));
        QCOMPARE(bar->actions().at(5)->property("commandId").toInt(), 1028);
        QCOMPARE(entries(menu("menuFile")->actions()),
                 QStringList({"Company Info", "Terminals", "-", "Time Sheets", "Change Admin Password", "-", "Exit"}));
        QCOMPARE(entries(menu("menuEdit")->actions()), QStringList({"&Undo", "-", "Cu&t", "&Copy", "&Paste"}));
        QCOMPARE(entries(menu("menuView")->actions()), QStringList({"Toolbars", "&Status Bar"}));
        QCOMPARE(entries(menu("menuToolbars")->actions()), QStringList({"Standard"}));
        QAction *list = menu("menuToolbars")->actions().first();
        QCOMPARE(list->objectName(), QString("XTP_ID_TOOLBARLIST"));
        QCOMPARE(list->property("commandId").toInt(), 59392);
        QCOMPARE(list->toolTip(), QString("Toggle ToolBar"));
        QCOMPARE(list->statusTip(), QString("Show or hide the toolbar"));
        QCOMPARE(entries(menu("menuAdministrator")->actions()),
                 QStringList({"Payroll Reports", "Employee Table", "-", "New Employee", "-", "Change Employee ID", "-",
                              "Change Log"}));
        QCOMPARE(entries(menu("menuWindow")->actions()), QStringList({"&Cascade", "&Tile", "&Arrange Icons", "-"}));
        QCOMPARE(entries(menu("menuHelp")->actions()), QStringList({"Manual", "-", "About Zarvo Punch Clock"}));
        // The menus hold the very actions of the command table.
        QCOMPARE(menu("menuFile")->actions().first(), f.action(ID_COMPANYINFO));
        QCOMPARE(menu("menuAdministrator")->actions().at(3), f.action(ID_NEWEMPLOYEE));
    }

    void toolbar()
    {
        QToolBar *bar = f.console->standardBar();
        QCOMPARE(bar->windowTitle(), QString("Standard"));
        QCOMPARE(bar->toolButtonStyle(), Qt::ToolButtonTextUnderIcon); // each button shows its caption
        const QList<QAction *> expected = {f.action(ID_LOGIN), f.action(ID_NEWEMPLOYEE), f.action(ID_TIMESHEETS),
                                           f.action(ID_CLOCK), f.action(ID_LOCK), f.action(ID_HELP_BUTT)};
        QCOMPARE(bar->actions(), expected);
        QCOMPARE(menu("menuFile")->actions().at(3), bar->actions().at(2)); // Time Sheets: one action
        for (QAction *a : expected)
            QVERIFY(!a->icon().isNull());
    }

    void lockFollowsLoginAndLock()
    {
        verifyStates(true);
        f.logIn("admin");
        QCOMPARE(f.boxes->last().text, QString("Log-in Successful"));
        verifyStates(false);
        f.console->invoke(ID_LOCK);
        verifyStates(true);
        f.logIn("admin");
        verifyStates(false);
        f.logIn("admin"); // logging in again while unlocked keeps it unlocked
        verifyStates(false);
    }

    void lockLeavesAnOpenAdminWindowWorking()
    {
        f.logIn("admin");
        f.console->invoke(ID_CHANGEADMINPASSWORD);
        AdminPass *w = findInsideConsole<AdminPass>();
        QVERIFY(w);
        f.action(ID_LOCK)->trigger();
        verifyStates(true);
        QVERIFY(findInsideConsole<AdminPass>());
        w->findChild<QLineEdit *>("Text1")->setText("admin");
        w->findChild<QLineEdit *>("Text2")->setText("n3w");
        w->findChild<QLineEdit *>("Text3")->setText("n3w");
        QTest::mouseClick(w->findChild<QPushButton *>("Pushbutton1"), Qt::LeftButton);
        QCOMPARE(f.boxes->last().text, QString("Admin Password Updated"));
        QVERIFY(Module1::instance().adminLocked()); // a password change does not unlock
        // and a locked command cannot be invoked from code either
        QTRY_VERIFY(!findInsideConsole<AdminPass>());
        f.console->invoke(ID_CHANGEADMINPASSWORD);
        QVERIFY(!findInsideConsole<AdminPass>());
    }

    void commandOpensOneWindow_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("className");
        QTest::addColumn<bool>("admin");
        QTest::newRow("Log-In") << int(ID_LOGIN) << "LogIn" << false;
        QTest::newRow("Clock") << int(ID_CLOCK) << "Clock" << false;
        QTest::newRow("About") << int(ID_ABOUTVELOPUNCHCLOCK) << "About" << false;
        QTest::newRow("Change Admin Password") << int(ID_CHANGEADMINPASSWORD) << "AdminPass" << true;
        QTest::newRow("New Employee") << int(ID_NEWEMPLOYEE) << "Employee" << true;
        QTest::newRow("Change Employee ID") << int(ID_CHANGEEMPLOYEEID) << "SearchID" << true;
        QTest::newRow("Employee Table") << int(ID_EMPLOYEETABLE) << "EmpTable" << true;
        QTest::newRow("Company Info") << int(ID_COMPANYINFO) << "Company" << true;
        QTest::newRow("Time Sheets") << int(ID_TIMESHEETS) << "Timesheets" << true;
        QTest::newRow("Payroll Reports") << int(ID_PAYROLLREPORTS) << "Payroll" << true;
        QTest::newRow("Change Log") << int(ID_CHANGELOG) << "ChangeLogWindow" << true;
    }
    void commandOpensOneWindow()
    {
        QFETCH(int, id);
        QFETCH(QString, className);
        QFETCH(bool, admin);
        if (admin) {
            f.console->invoke(id); // locked: nothing opens
            QCOMPARE(f.windowCount(), 0);
            Module1::instance().setAdminLocked(false);
        }
        f.console->invoke(id);
        QCOMPARE(f.windowCount(), 1);
        QMdiSubWindow *first = f.console->mdiArea()->subWindowList().first();
        QCOMPARE(QString(first->widget()->metaObject()->className()), className);
        f.console->invoke(ID_ABOUTVELOPUNCHCLOCK == id ? ID_CLOCK : ID_ABOUTVELOPUNCHCLOCK);
        QCOMPARE(f.windowCount(), 2);
        QVERIFY(f.console->mdiArea()->activeSubWindow() != first);
        f.console->invoke(id); // again: brought forward, not duplicated
        QCOMPARE(f.windowCount(), 2);
        QCOMPARE(f.console->mdiArea()->activeSubWindow(), first);
    }

    void helpAndManualOpenTwoFiles()
    {
        f.action(ID_HELP_BUTT)->trigger();
        f.action(ID_MANUAL)->trigger();
        QCOMPARE(f.boxes->opened, QStringList({Module1::programFolder() + "/help.hlp",
                                               Module1::programFolder() + "/help.doc"}));
        QVERIFY(f.boxes->boxes.isEmpty());
    }

    void showMeHelp_data()
    {
        QTest::addColumn<QString>("helpFile"); // "<existing>" for a file that exists
        QTest::addColumn<qint16>("contextId");
        QTest::addColumn<QString>("error");    // empty when the file is opened
        QTest::newRow("no help file set, index") << "" << qint16(0) << "No help file has been set.";
        QTest::newRow("no help file set, topic") << "" << qint16(12) << "No help file has been set.";
        QTest::newRow("missing file") << "/nonexistent/zarvo.hlp" << qint16(3)
                                      << "The help file /nonexistent/zarvo.hlp cannot be found.";
        QTest::newRow("existing file, index") << "<existing>" << qint16(0) << "";
        QTest::newRow("existing file, topic") << "<existing>" << qint16(7) << "";
    }
    void showMeHelp()
    {
        QFETCH(QString, helpFile);
        QFETCH(qint16, contextId);
        QFETCH(QString, error);
        QTemporaryFile file;
        if (helpFile == "<existing>") {
            QVERIFY(file.open());
            helpFile = file.fileName();
        }
        QVERIFY(f.console->helpFile().isEmpty()); // the program sets none
        f.console->setHelpFile(helpFile);
        f.console->ShowMeHelp(contextId);
        if (error.isEmpty()) {
            QVERIFY(f.boxes->boxes.isEmpty());
            QCOMPARE(f.boxes->opened, QStringList({helpFile}));
        } else {
            QVERIFY(f.boxes->opened.isEmpty());
            QCOMPARE(f.boxes->boxes.size(), 1);
            QCOMPARE(f.boxes->last().text, error);
            QCOMPARE(f.boxes->last().title, zarvo::Dialogs::programTitle());
            QCOMPARE(f.boxes->last().icon, BoxIcon::None);
            QCOMPARE(f.boxes->last().buttons, zarvo::BoxButtons::Ok);
        }
        QVERIFY(Module1::instance().adminLocked()); // nothing else changes
        QCOMPARE(f.windowCount(), 0);
    }

    void terminalsShowsTheTerminalsWindow()
    {
        f.action(ID_TERMINALS)->trigger();
        QTRY_VERIFY(findInsideConsole<Terminals>());
    }

    void statusBarCountsTerminalsAndOpensTheirWindow()
    {
        f.boxes->autoDismissAsync = true;
        auto *count = f.console->statusBar()->findChild<QToolButton *>("TerminalsCount");
        QVERIFY(count && count->isVisible());
        QCOMPARE(count->text(), QString("Terminals: 0 connected, 0 away"));
        QTcpSocket a, b;
        for (QTcpSocket *t : {&a, &b})
            t->connectToHost(QHostAddress::LocalHost, f.console->punchServer()->port());
        QTRY_COMPARE(f.console->punchServer()->connectionCount(), 2);
        QTRY_COMPARE(count->text(), QString("Terminals: 1 connected, 0 away")); // one address, one terminal
        a.disconnectFromHost();
        b.abort();
        b.bind(QHostAddress("127.0.0.4"));
        b.connectToHost(QHostAddress::LocalHost, f.console->punchServer()->port());
        QTRY_COMPARE(count->text(), QString("Terminals: 1 connected, 1 away"));
        // A click opens the Terminals window as the command does, table Terminal rebuilt first.
        Module1::instance().db.execScript("INSERT INTO Terminal (ip) VALUES ('10.9.9.9')");
        QTest::mouseClick(count, Qt::LeftButton);
        QTRY_VERIFY(findInsideConsole<Terminals>());
        zarvo::RecordSet rs;
        rs.open(Module1::instance().db, "Select * from Terminal");
        QCOMPARE(rs.recordCount(), 1);
        QCOMPARE(rs.text("ip"), QString("127.0.0.4"));
    }

    void exitClosesTheConsole()
    {
        QSignalSpy closed(f.console.get(), &VeloPunch::closed);
        f.action(ID_EXIT)->trigger();
        QCOMPARE(closed.size(), 1);
        QVERIFY(!f.console->isVisible());
    }

    void viewTogglesBars()
    {
        QAction *status = f.action(ID_VIEW_STATUS_BAR);
        QVERIFY(status->isChecked());
        QVERIFY(f.console->statusBar()->isVisible());
        status->trigger();
        QVERIFY(!f.console->statusBar()->isVisible());
        status->trigger();
        QVERIFY(f.console->statusBar()->isVisible());
        QAction *bars = menu("menuToolbars")->actions().first();
        QVERIFY(bars->isChecked());
        bars->trigger();
        QVERIFY(!f.console->standardBar()->isVisible());
        bars->trigger();
        QVERIFY(f.console->standardBar()->isVisible());
    }

    void windowListFollowsTheOpenWindows()
    {
        QVERIFY(f.console->windowListActions().isEmpty());
        f.console->invoke(ID_CLOCK);
        f.console->invoke(ID_ABOUTVELOPUNCHCLOCK);
        QStringList titles;
        for (QAction *a : f.console->windowListActions())
            titles << a->text();
        QCOMPARE(titles, QStringList({"&1 Zarvo Punch Clock System", "&2 About Zarvo Punch Clock System"}));
        QVERIFY(f.console->windowListActions().at(1)->isChecked());
        QVERIFY(!f.console->windowListActions().at(0)->isCheckable()); // no empty box beside it
        QCOMPARE(menu("menuWindow")->actions().size(), 6);
        f.console->windowListActions().at(0)->trigger();
        QCOMPARE(f.console->mdiArea()->activeSubWindow()->widget(), findInsideConsole<Clock>());
        QVERIFY(f.console->windowListActions().at(0)->isChecked());
        QVERIFY(!f.console->windowListActions().at(1)->isCheckable());
        findInsideConsole<Clock>()->closeWindow();
        QTRY_COMPARE(f.console->windowListActions().size(), 1);
        QCOMPARE(f.console->windowListActions().at(0)->text(), QString("&1 About Zarvo Punch Clock System"));
    }

    void statusBarSaysReadyOnceThePointerLeavesTheMenus()
    {
        QStatusBar *bar = f.console->statusBar();
        QCOMPARE(bar->currentMessage(), QString("Ready"));
        QMenu *window = menu("menuWindow");
        window->popup(QPoint(0, 0));
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QAction *cascade = f.action(ID_WINDOW_CASCADE);
        QTest::mouseMove(window, window->actionGeometry(cascade).center());
        QTRY_COMPARE(bar->currentMessage(), QString("Arrange windows so they overlap"));
        window->hide();
        // What a menu sends when the pointer leaves an entry: an empty tip.
        QStatusTipEvent leave{QString()};
        QCoreApplication::sendEvent(f.console->menuBar(), &leave);
        QTRY_COMPARE(bar->currentMessage(), QString("Ready"));
    }

    void windowArrangements()
    {
        f.console->invoke(ID_CLOCK);
        f.console->invoke(ID_ABOUTVELOPUNCHCLOCK);
        const auto frames = f.console->mdiArea()->subWindowList();
        f.action(ID_WINDOW_TILE_HORZ)->trigger();
        QVERIFY(!frames[0]->geometry().intersects(frames[1]->geometry()));
        f.action(ID_WINDOW_CASCADE)->trigger();
        QVERIFY(frames[0]->geometry().intersects(frames[1]->geometry()));
        for (QMdiSubWindow *w : frames)
            w->showMinimized();
        f.action(ID_WINDOW_ARRANGE)->trigger();
        const int bottom = f.console->mdiArea()->viewport()->height();
        QCOMPARE(frames[0]->geometry().bottom() + 1, bottom);
        QCOMPARE(frames[1]->geometry().bottom() + 1, bottom);
        QCOMPARE(frames[0]->x(), 0);
        QCOMPARE(frames[1]->x(), frames[0]->width());
    }

    void busyPortEndsTheLoad()
    {
        QTcpServer squatter;
        QVERIFY(squatter.listen(QHostAddress::Any, 0));
        qputenv("ZARVO_PUNCH_PORT", QByteArray::number(squatter.serverPort()));
        VeloPunch second;
        f.boxes->clear();
        QVERIFY(!second.load());
        QCOMPARE(f.boxes->boxes.size(), 1);
        QCOMPARE(f.boxes->last().text, second.punchServer()->errorString());
        QVERIFY(!f.boxes->last().text.isEmpty());
        qputenv("ZARVO_PUNCH_PORT", "0");
    }
};

QTEST_MAIN(TestConsole)
#include "tst_console.moc"
