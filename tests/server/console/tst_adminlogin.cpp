// The administrator login and password change: exact comparison, the order of the checks,
// Enter moving the focus, the snapshot each window compares against, and a missing admin row.
#include "adminpass.h"
#include "consolefixture.h"
#include <QGroupBox>
#include <QLabel>
#include <QStyle>

using namespace ConsoleCommands;
using zarvo::BoxIcon;
using zarvo::RecordSet;

namespace {
/// The stored password; an invalid QVariant writes Null.
void storePassword(const QVariant &password)
{
    RecordSet rs;
    rs.open(Module1::instance().db, "Select * from admin");
    rs.moveFirst();
    rs.setValue("password", password);
    rs.update();
}
QVariant storedPassword()
{
    RecordSet rs;
    rs.open(Module1::instance().db, "Select * from admin");
    return rs.recordCount() ? rs.value("password") : QVariant();
}
} // namespace

class TestAdminLogin : public QObject {
    Q_OBJECT
    ConsoleFixture f;

    LogIn *openLogIn()
    {
        f.console->invoke(ID_LOGIN);
        return findInsideConsole<LogIn>();
    }
    AdminPass *openAdminPass()
    {
        Module1::instance().setAdminLocked(false);
        f.console->invoke(ID_CHANGEADMINPASSWORD);
        Module1::instance().setAdminLocked(true);
        return findInsideConsole<AdminPass>();
    }
    template <class T> QLineEdit *box(T *w, const char *name) { return w->template findChild<QLineEdit *>(name); }
    template <class T> QPushButton *button(T *w, const char *name) { return w->template findChild<QPushButton *>(name); }
    void fill(AdminPass *w, const QString &current, const QString &fresh, const QString &confirm)
    {
        box(w, "Text1")->setText(current);
        box(w, "Text2")->setText(fresh);
        box(w, "Text3")->setText(confirm);
    }

private slots:
    void init() { QVERIFY(f.start()); }
    void cleanup() { f.stop(); }

    void windowsLookAsDescribed()
    {
        LogIn *in = openLogIn();
        QVERIFY(in);
        QCOMPARE(in->windowTitle(), QString("Administrator Login"));
        QCOMPARE(in->findChild<QGroupBox *>("Frame1")->title(), QString(" Enter Administrator Password "));
        QCOMPARE(in->findChild<QLabel *>("Label1")->text(), QString("Password"));
        QCOMPARE(button(in, "PushButton2")->text(), QString("Ok"));
        QCOMPARE(button(in, "PushButton1")->text(), QString("Cancel"));
        AdminPass *pass = openAdminPass();
        QVERIFY(pass);
        QCOMPARE(pass->windowTitle(), QString("Change Administrator Password"));
        QCOMPARE(pass->findChild<QGroupBox *>("Frame1")->title(), QString("Enter Password"));
        QCOMPARE(button(pass, "Pushbutton1")->text(), QString("Accept"));
        QCOMPARE(button(pass, "Pushbutton2")->text(), QString("Cancel"));
        const QStringList labels = {"Current Password", "New Password", "Confirm Password"};
        int lastY = -1;
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(pass->findChild<QLabel *>(QString("Label%1").arg(i + 1))->text(), labels[i]);
            QLineEdit *b = pass->findChild<QLineEdit *>(QString("Text%1").arg(i + 1));
            QVERIFY(b->y() > lastY); // one under another
            lastY = b->y();
        }
        for (QLineEdit *b : {box(in, "Text1"), box(pass, "Text1"), box(pass, "Text2"), box(pass, "Text3")}) {
            QCOMPARE(b->echoMode(), QLineEdit::Password);
            QCOMPARE(b->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, b), int('*'));
        }
    }

    void login_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("exact") << QVariant("admin") << "admin" << true;
        QTest::newRow("letter case") << QVariant("admin") << "Admin" << false;
        QTest::newRow("trailing blank") << QVariant("admin") << "admin " << false;
        QTest::newRow("empty box") << QVariant("admin") << "" << false;
        QTest::newRow("empty password, empty box") << QVariant("") << "" << true;
        QTest::newRow("Null password, empty box") << QVariant() << "" << false;
        QTest::newRow("blanks count") << QVariant(" a b ") << " a b " << true;
    }
    void login()
    {
        QFETCH(QVariant, stored);
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        storePassword(stored);
        LogIn *w = openLogIn();
        QVERIFY(w);
        box(w, "Text1")->setText(typed);
        QTest::mouseClick(button(w, "PushButton2"), Qt::LeftButton);
        QCOMPARE(f.boxes->boxes.size(), 1);
        if (accepted) {
            QCOMPARE(f.boxes->last().text, QString("Log-in Successful"));
            QCOMPARE(f.boxes->last().title, QString("Administrator Priviledges are Opened"));
            QCOMPARE(f.boxes->last().icon, BoxIcon::Information);
            QVERIFY(!Module1::instance().adminLocked());
            QTRY_VERIFY(!findInsideConsole<LogIn>());
        } else {
            QCOMPARE(f.boxes->last().text, QString("Incorrect Password"));
            QCOMPARE(f.boxes->last().title, QString("Access Denied"));
            QCOMPARE(f.boxes->last().icon, BoxIcon::Exclamation);
            QVERIFY(Module1::instance().adminLocked());
            QCOMPARE(findInsideConsole<LogIn>(), w); // stays open for another try
            QCOMPARE(box(w, "Text1")->text(), typed);
        }
    }

    void unlockHappensAfterTheBoxIsClosed()
    {
        LogIn *w = openLogIn();
        bool lockedWhileOpen = false;
        f.boxes->whileOpen = [&](const zarvo::MessageBox &) { lockedWhileOpen = Module1::instance().adminLocked(); };
        box(w, "Text1")->setText("admin");
        QTest::mouseClick(button(w, "PushButton2"), Qt::LeftButton);
        QVERIFY(lockedWhileOpen);
        QVERIFY(!Module1::instance().adminLocked());
    }

    void cancelChangesNothing()
    {
        LogIn *w = openLogIn();
        box(w, "Text1")->setText("admin");
        QTest::mouseClick(button(w, "PushButton1"), Qt::LeftButton);
        QTRY_VERIFY(!findInsideConsole<LogIn>());
        QVERIFY(Module1::instance().adminLocked());
        AdminPass *p = openAdminPass();
        fill(p, "admin", "x", "x");
        QTest::mouseClick(button(p, "Pushbutton2"), Qt::LeftButton);
        QTRY_VERIFY(!findInsideConsole<AdminPass>());
        QCOMPARE(storedPassword(), QVariant("admin"));
        QVERIFY(f.boxes->boxes.isEmpty());
    }

    void enterMovesTheFocusWithoutPressing()
    {
        LogIn *in = openLogIn();
        box(in, "Text1")->setText("admin");
        QTest::keyClick(box(in, "Text1"), Qt::Key_Return);
        QCOMPARE(in->focusWidget(), button(in, "PushButton2"));
        QVERIFY(f.boxes->boxes.isEmpty());
        QVERIFY(Module1::instance().adminLocked());
        QVERIFY(button(in, "PushButton2")->autoDefault()); // Enter on the focused button presses it

        AdminPass *p = openAdminPass();
        fill(p, "admin", "n", "n");
        QTest::keyClick(box(p, "Text1"), Qt::Key_Return);
        QCOMPARE(p->focusWidget(), box(p, "Text2"));
        QTest::keyClick(box(p, "Text2"), Qt::Key_Return);
        QCOMPARE(p->focusWidget(), box(p, "Text3"));
        QTest::keyClick(box(p, "Text3"), Qt::Key_Return);
        QCOMPARE(p->focusWidget(), button(p, "Pushbutton1"));
        QVERIFY(f.boxes->boxes.isEmpty());
        QCOMPARE(storedPassword(), QVariant("admin"));
    }

    void loginFocusReturnsToThePasswordOnEachActivation()
    {
        LogIn *in = openLogIn();
        QVERIFY(in);
        QCOMPARE(in->focusWidget(), box(in, "Text1"));
        box(in, "Text1")->setText("adm");
        QTest::keyClick(box(in, "Text1"), Qt::Key_Return);
        QCOMPARE(in->focusWidget(), button(in, "PushButton2"));
        f.console->invoke(ID_ABOUTVELOPUNCHCLOCK);
        QVERIFY(f.console->mdiArea()->activeSubWindow()->widget() != in);
        QCOMPARE(openLogIn(), in); // brought forward, not reloaded
        QCOMPARE(in->focusWidget(), box(in, "Text1"));
        QCOMPARE(box(in, "Text1")->text(), QString("adm")); // the login keeps what was typed
    }

    void accept_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("fresh");
        QTest::addColumn<QString>("confirm");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        const QString empty = "Some Fields are Empty", emptyTitle = "Incomplete Information";
        const QString mismatch = "New Password Did Not Match", mismatchTitle = "Password Mismatch";
        const QString wrong = "Incorrect Admin Password", wrongTitle = "Password Incorrect! No Changes Have Been Made";
        QTest::newRow("all empty") << "" << "" << "" << empty << emptyTitle;
        QTest::newRow("no current") << "" << "n" << "n" << empty << emptyTitle;
        QTest::newRow("no new") << "admin" << "" << "n" << empty << emptyTitle;
        QTest::newRow("no confirm") << "admin" << "n" << "" << empty << emptyTitle;
        QTest::newRow("empty before mismatch") << "" << "a" << "b" << empty << emptyTitle;
        QTest::newRow("mismatch") << "admin" << "abc" << "abd" << mismatch << mismatchTitle;
        QTest::newRow("mismatch by case") << "admin" << "abc" << "ABC" << mismatch << mismatchTitle;
        QTest::newRow("mismatch before wrong current") << "nope" << "a" << "b" << mismatch << mismatchTitle;
        QTest::newRow("wrong current") << "nope" << "n" << "n" << wrong << wrongTitle;
        QTest::newRow("current in other case") << "ADMIN" << "n" << "n" << wrong << wrongTitle;
    }
    void accept()
    {
        QFETCH(QString, current);
        QFETCH(QString, fresh);
        QFETCH(QString, confirm);
        QFETCH(QString, text);
        QFETCH(QString, title);
        AdminPass *w = openAdminPass();
        QVERIFY(w);
        fill(w, current, fresh, confirm);
        QTest::mouseClick(button(w, "Pushbutton1"), Qt::LeftButton);
        QCOMPARE(f.boxes->boxes.size(), 1);
        QCOMPARE(f.boxes->last().text, text);
        QCOMPARE(f.boxes->last().title, title);
        QCOMPARE(f.boxes->last().icon, BoxIcon::Exclamation);
        QCOMPARE(storedPassword(), QVariant("admin"));
        QCOMPARE(findInsideConsole<AdminPass>(), w);
        // the boxes are left as they were
        QCOMPARE(box(w, "Text1")->text(), current);
        QCOMPARE(box(w, "Text2")->text(), fresh);
        QCOMPARE(box(w, "Text3")->text(), confirm);
    }

    void acceptedChangeIsStoredExactly()
    {
        AdminPass *w = openAdminPass();
        fill(w, "admin", " New Pw ", " New Pw ");
        QTest::mouseClick(button(w, "Pushbutton1"), Qt::LeftButton);
        QCOMPARE(f.boxes->last().text, QString("Admin Password Updated"));
        QCOMPARE(f.boxes->last().title, QString("Password Update Successful"));
        QCOMPARE(f.boxes->last().icon, BoxIcon::Information);
        QCOMPARE(storedPassword(), QVariant(" New Pw "));
        QTRY_VERIFY(!findInsideConsole<AdminPass>());
        QVERIFY(Module1::instance().adminLocked()); // unchanged by a password change
        LogIn *in = openLogIn();
        box(in, "Text1")->setText(" New Pw ");
        QTest::mouseClick(button(in, "PushButton2"), Qt::LeftButton);
        QCOMPARE(f.boxes->last().text, QString("Log-in Successful"));
    }

    void activationEmptiesThePasswordBoxes()
    {
        AdminPass *w = openAdminPass();
        fill(w, "a", "b", "c");
        // The console losing and regaining activation around a box is no new activation.
        QMdiArea *area = f.console->mdiArea();
        QMdiSubWindow *frame = area->activeSubWindow();
        QCOMPARE(frame->widget(), w);
        area->setActiveSubWindow(nullptr);
        area->setActiveSubWindow(frame);
        QCOMPARE(box(w, "Text1")->text(), QString("a"));
        QCOMPARE(box(w, "Text3")->text(), QString("c"));
        f.console->invoke(ID_ABOUTVELOPUNCHCLOCK);
        QVERIFY(f.console->mdiArea()->activeSubWindow()->widget() != w);
        Module1::instance().setAdminLocked(false);
        f.console->invoke(ID_CHANGEADMINPASSWORD);
        QCOMPARE(findInsideConsole<AdminPass>(), w);
        QVERIFY(box(w, "Text1")->text().isEmpty());
        QVERIFY(box(w, "Text2")->text().isEmpty());
        QVERIFY(box(w, "Text3")->text().isEmpty());
        QCOMPARE(w->focusWidget(), box(w, "Text1"));
    }

    void aRefusedWriteKeepsTheOldPasswordAndTheTypedBoxes()
    {
        AdminPass *w = openAdminPass();
        QVERIFY(w);
        Module1::instance().db.execScript(
            "CREATE TRIGGER refuse BEFORE UPDATE ON admin BEGIN SELECT RAISE(ABORT, 'disk refused'); END");
        fill(w, "admin", "fresh", "fresh");
        QTest::mouseClick(button(w, "Pushbutton1"), Qt::LeftButton);
        QCOMPARE(f.boxes->boxes.size(), 1);
        QVERIFY(f.boxes->last().text.startsWith("The password was not changed.\r\r"));
        QVERIFY(f.boxes->last().text.contains("disk refused"));
        QCOMPARE(f.boxes->last().title, QString("Error! Updating Password"));
        QCOMPARE(f.boxes->last().icon, BoxIcon::Exclamation);
        QCOMPARE(storedPassword(), QVariant("admin"));
        QCOMPARE(findInsideConsole<AdminPass>(), w);
        QCOMPARE(box(w, "Text1")->text(), QString("admin"));
        QCOMPARE(box(w, "Text2")->text(), QString("fresh"));
        // The refused value was not taken as the current password: once the store accepts
        // writes again, the old one is still the one to give.
        Module1::instance().db.execScript("DROP TRIGGER refuse");
        fill(w, "fresh", "again", "again");
        QTest::mouseClick(button(w, "Pushbutton1"), Qt::LeftButton);
        QCOMPARE(f.boxes->last().text, QString("Incorrect Admin Password"));
        fill(w, "admin", "fresh", "fresh");
        QTest::mouseClick(button(w, "Pushbutton1"), Qt::LeftButton);
        QCOMPARE(f.boxes->last().text, QString("Admin Password Updated"));
        QCOMPARE(storedPassword(), QVariant("fresh"));
    }

    void loginOpenedBeforeAChangeKeepsTheOldPassword()
    {
        LogIn *in = openLogIn();
        AdminPass *p = openAdminPass();
        fill(p, "admin", "fresh", "fresh");
        QTest::mouseClick(button(p, "Pushbutton1"), Qt::LeftButton);
        QCOMPARE(storedPassword(), QVariant("fresh"));
        f.boxes->clear();
        box(in, "Text1")->setText("fresh");
        QTest::mouseClick(button(in, "PushButton2"), Qt::LeftButton);
        QCOMPARE(f.boxes->last().text, QString("Incorrect Password"));
        box(in, "Text1")->setText("admin");
        QTest::mouseClick(button(in, "PushButton2"), Qt::LeftButton);
        QCOMPARE(f.boxes->last().text, QString("Log-in Successful"));
        QTRY_VERIFY(!findInsideConsole<LogIn>());
        // A window opened afterwards sees the new password.
        Module1::instance().setAdminLocked(true);
        in = openLogIn();
        box(in, "Text1")->setText("fresh");
        QTest::mouseClick(button(in, "PushButton2"), Qt::LeftButton);
        QCOMPARE(f.boxes->last().text, QString("Log-in Successful"));
    }

    void emptyAdminTableGrantsNothing()
    {
        RecordSet rs;
        rs.open(Module1::instance().db, "Select * from admin");
        rs.moveFirst();
        rs.remove();
        LogIn *in = openLogIn();
        QVERIFY(in);
        QTest::mouseClick(button(in, "PushButton2"), Qt::LeftButton);
        QCOMPARE(f.boxes->last().text, QString("Incorrect Password"));
        QVERIFY(Module1::instance().adminLocked());
        AdminPass *p = openAdminPass();
        QVERIFY(p);
        fill(p, "admin", "n", "n");
        QTest::mouseClick(button(p, "Pushbutton1"), Qt::LeftButton);
        QCOMPARE(f.boxes->last().text, QString("Incorrect Admin Password"));
        QCOMPARE(Module1::instance().db.countRows("admin"), 0);
    }

    void closedConnectionClosesEitherWindow_data()
    {
        QTest::addColumn<int>("id");
        QTest::newRow("LogIn") << int(ID_LOGIN);
        QTest::newRow("AdminPass") << int(ID_CHANGEADMINPASSWORD);
    }
    void closedConnectionClosesEitherWindow()
    {
        QFETCH(int, id);
        Module1::instance().db.close();
        Module1::instance().setAdminLocked(false);
        f.console->invoke(id);
        QCOMPARE(f.boxes->boxes.size(), 1);
        QCOMPARE(f.boxes->last().text, QString("Could not open database ..."));
        QCOMPARE(f.boxes->last().title, QString("Connection Failed"));
        QCOMPARE(f.boxes->last().icon, BoxIcon::Exclamation);
        QTRY_COMPARE(f.windowCount(), 0);
    }
};

QTEST_MAIN(TestAdminLogin)
#include "tst_adminlogin.moc"
