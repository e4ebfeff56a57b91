// Every window of the server from the keyboard: the focus on opening, Tab in layout order (out of
// lists, grids and pickers), Enter on each button, Ctrl+F4; then what the table does not cover:
// the timesheet lists chosen by keys, typing into pickers, tab pages, the console's keys and
// where the focus goes after boxes and windows.
#include "about.h"
#include "addtime.h"
#include "clock.h"
#include "company.h"
#include "consolefixture.h"
#include "employee.h"
#include "payroll.h"
#include "payrollreports.h"
#include "timesheets.h"
#include <QApplication>
#include <QDateEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTimeEdit>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>

using namespace ConsoleCommands;

namespace {
const QDate kToday(2026, 12, 9);

/// A control's name: its object name, a bar button's command, else its kind.
QString nameOf(const QWidget *w)
{
    if (auto *b = qobject_cast<const QToolButton *>(w); b && b->defaultAction())
        return b->defaultAction()->objectName();
    return !w ? QString("-") : w->objectName().isEmpty() ? QString(w->metaObject()->className()) : w->objectName();
}
} // namespace

class TestKeyboard : public QObject {
    Q_OBJECT
    ConsoleFixture f;

    QWidget *focus() const { return f.console->focusWidget(); }
    QString focused() const { return nameOf(focus()); }
    void key(int k, Qt::KeyboardModifiers mods = {}) { QTest::keyClick(focus(), Qt::Key(k), mods); }
    template <class T> T *open(int command)
    {
        f.console->invoke(command);
        return findInsideConsole<T>();
    }
    template <class T> static T *ctl(QWidget *w, const char *name)
    {
        T *c = w->findChild<T *>(QString::fromLatin1(name));
        return c ? c : (qFatal("no control %s", name), nullptr);
    }
    AddTime *openEditorOnE1()
    {
        Module1::instance().SelectedEmpID = "E1";
        Module1::instance().SelectedDay = kToday;
        return ShowInsideConsole<AddTime>();
    }

private slots:
    void init()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        zarvo::Clock::setFixed(QDateTime(kToday, QTime(10, 0)));
        QVERIFY(f.start() && QTest::qWaitForWindowActive(f.console.get()));
        zarvo::test::addEmployee(Module1::instance().db, "E1", "Ann", "Lee");
        zarvo::test::addEmployee(Module1::instance().db, "E2", "Bo", "Cruz");
        zarvo::RecordSet day; // E1 came in today and has not gone yet
        day.open(Module1::instance().db, "Select * from timesheet");
        day.addNew();
        day.setValue("emp_id", "E1");
        day.setValue("rsdate", zarvo::dayText(kToday));
        day.setValue("in1", "08:00:00");
        day.update();
        f.logIn("admin");
        f.boxes->clear();
    }
    void cleanup()
    {
        f.stop();
        zarvo::Clock::clearFixed();
        QLocale::setDefault(QLocale::system());
    }

    void everyWindow_data()
    {
        QTest::addColumn<int>("command");        // -1: opened by another window
        QTest::addColumn<QStringList>("tabOrder"); // from the control that has the focus at opening
        const auto row = [](const char *window, int command, const char *order) {
            QTest::newRow(window) << command << QString(order).split(' ');
        };
        row("LogIn", ID_LOGIN, "Text1 PushButton2 PushButton1");
        row("AdminPass", ID_CHANGEADMINPASSWORD, "Text1 Text2 Text3 Pushbutton1 Pushbutton2");
        row("Company", ID_COMPANYINFO, "txtTitle txtAddress txtCity txtState txtCountry txtZip txtPhone "
                                       "txtPermit txtLogo PushButton1 PushButton2");
        row("About", ID_ABOUTVELOPUNCHCLOCK, "PushButton1");
        row("Clock", ID_CLOCK, "Text1 PushButton1");
        row("Terminals", ID_TERMINALS, "ListView1 TerminalHealth PushButton1");
        row("Employee", ID_NEWEMPLOYEE, "emp_id emp_lname emp_fname emp_mname emp_sex1 emp_dob SSS emp_apt "
                                        "emp_address city emp_state zip1 emp_home_phone emp_work_phone emp_cp "
                                        "PushButton1 PushButton4 PushButton5 qt_tabwidget_tabbar");
        row("SearchID", ID_CHANGEEMPLOYEEID, "Srch_Emp_ID PushButton1 Srch_LName PushButton2 ListView1 "
                                             "PushButton3 PushButton4");
        row("EmpTable", ID_EMPLOYEETABLE, "DataGrid1 PushButton1 PushButton2 PushButton3");
        row("Timesheets", ID_TIMESHEETS, "DTPicker1 DTPicker2 EmpList TimeList PushButton4");
        row("AddTime", -1, "New Prev Neks EmpID Srch edit cancel");
        row("Payroll", ID_PAYROLLREPORTS, "ListView1 DTPicker1 DTPicker2 PushButton1 PushButton2 CheckBox1");
        row("ChangeLogWindow", ID_CHANGELOG, "Text1 DTPicker1 DTPicker2 PushButton1 LogList");
        row("Report:Detail", -1, "PageNumber Zoom Print SaveAsPdf Export Pages"); // one page: no paging
    }
    void everyWindow()
    {
        QFETCH(int, command);
        QFETCH(QStringList, tabOrder);
        const QString window = QTest::currentDataTag();
        if (command >= 0)
            f.console->invoke(command);
        else if (window == "AddTime")
            openEditorOnE1();
        else
            zarvo::report::detailReport().show();
        ConsoleWindow *w = f.console->host()->find(window);
        QVERIFY(w);

        // Tab walks the controls in layout order, from where the window opened round to it
        // again, never stopping inside a list, a grid or a picker nor leaving the window.
        QStringList walked{focused()};
        for (key(Qt::Key_Tab); focused() != tabOrder.first() && walked.size() < 40; key(Qt::Key_Tab))
            walked << focused();
        QVERIFY2(walked == tabOrder, qPrintable(walked.join(' ')));
        key(Qt::Key_Backtab);
        QCOMPARE(focused(), tabOrder.last());

        // Enter (either key) on each button presses it; its own action is taken away first.
        for (QAbstractButton *b : w->findChildren<QAbstractButton *>()) {
            if (!(qobject_cast<QPushButton *>(b) || qobject_cast<QToolButton *>(b)) || !b->isEnabled()
                || !b->isVisibleTo(w) || b->focusPolicy() == Qt::NoFocus)
                continue;
            disconnect(b, &QAbstractButton::clicked, nullptr, nullptr);
            QSignalSpy pressed(b, &QAbstractButton::clicked);
            b->setFocus();
            key(Qt::Key_Return);
            key(Qt::Key_Enter, Qt::KeypadModifier);
            QVERIFY2(pressed.count() == 2, qPrintable(nameOf(b)));
        }
        QVERIFY(f.boxes->boxes.isEmpty());
        key(Qt::Key_F4, Qt::ControlModifier);
        QTRY_VERIFY(!f.console->host()->find(window));
    }

    void timesheetListsByKeys()
    {
        auto *w = open<Timesheets>(ID_TIMESHEETS);
        auto *times = ctl<QTreeView>(w, "TimeList");
        ctl<QTreeView>(w, "EmpList")->setFocus();
        key(Qt::Key_Down); // the list stands on E1 without having selected it: Down selects it
        QCOMPARE(times->model()->rowCount(), 1);
        key(Qt::Key_Down);
        QCOMPARE(times->model()->rowCount(), 0); // E2 has no rows
        key(Qt::Key_Up);
        QCOMPARE(times->model()->rowCount(), 1);
        times->setFocus();
        key(Qt::Key_Down);
        QVERIFY(ctl<QPushButton>(w, "PushButton2")->isEnabled() && ctl<QPushButton>(w, "PushButton3")->isEnabled());
        QVERIFY(f.boxes->boxes.isEmpty());
    }

    void pickersByKeys()
    {
        AddTime *w = openEditorOnE1();
        ctl<QPushButton>(w, "edit")->setFocus();
        key(Qt::Key_Return); // the times open for correcting, the first one taking the keys
        auto *in1 = ctl<QTimeEdit>(w, "In1");
        QCOMPARE(focus(), in1);
        key(Qt::Key_Right);
        QCOMPARE(in1->currentSection(), QDateTimeEdit::MinuteSection);
        key(Qt::Key_Left);
        // Digits fill each section; a separator after a section that moved on by itself (Shift
        // pressed for it) does not skip the next one; a letter picks PM.
        for (const QChar c : QString("7:30:15 p")) {
            if (c == ':')
                QTest::keyPress(focus(), Qt::Key_Shift);
            QTest::keyClicks(focus(), QString(c));
        }
        QCOMPARE(in1->time(), QTime(19, 30, 15));
        ctl<QDateEdit>(w, "rDate")->setFocus();
        for (auto mods : {Qt::KeyboardModifiers(Qt::AltModifier), Qt::KeyboardModifiers()}) {
            key(mods ? Qt::Key_Down : Qt::Key_F4, mods); // Alt+Down, then F4: the calendar
            QTRY_VERIFY(QApplication::activePopupWidget());
            QApplication::activePopupWidget()->close();
        }
    }

    void employeeEditorPagesAndSave()
    {
        auto *w = open<Employee>(ID_NEWEMPLOYEE);
        key(Qt::Key_PageDown, Qt::ControlModifier); // the next tab page, its first box
        QCOMPARE(ctl<QTabWidget>(w, "TabControl1")->currentIndex(), 1);
        QCOMPARE(focused(), QString("Job_Description"));
        QTest::keyClicks(focus(), "Sorts");
        key(Qt::Key_Tab); // leaves the multi-line box, typing no tab into it
        QCOMPARE(ctl<QPlainTextEdit>(w, "Job_Description")->toPlainText(), QString("Sorts"));
        QCOMPARE(focused(), QString("PushButton1"));
        key(Qt::Key_Return); // "Add New": typing starts again at the ID, on the first page
        QCOMPARE(focused(), QString("emp_id"));
        QCOMPARE(ctl<QTabWidget>(w, "TabControl1")->currentIndex(), 0);
        for (const char *box : {"emp_id", "emp_lname", "emp_fname"})
            QTest::keyClicks(ctl<QLineEdit>(w, box), "X");
        ctl<QPushButton>(w, "PushButton2")->setFocus();
        key(Qt::Key_Return); // "Save" disables itself: the focus must not pass on to "Search"
        QVERIFY(f.boxes->boxes.isEmpty() && focused() != "PushButton4");
        key(Qt::Key_Return);
        QVERIFY(findInsideConsole<Employee>());
    }

    void consoleKeys()
    {
        QTest::keyClick(f.console.get(), Qt::Key_L, Qt::ControlModifier); // "Log-In"
        QVERIFY(findInsideConsole<LogIn>());
        key(Qt::Key_Escape); // "Cancel"
        QTRY_VERIFY(!findInsideConsole<LogIn>());
        open<Company>(ID_COMPANYINFO);
        key(Qt::Key_Escape); // no "Cancel": nothing happens
        key(Qt::Key_Tab);
        key(Qt::Key_Tab);
        open<About>(ID_ABOUTVELOPUNCHCLOCK);
        key(Qt::Key_F4, Qt::ControlModifier); // back to the window used before, where it was
        QTRY_COMPARE(focused(), QString("txtCity"));
        QSignalSpy closed(f.console.get(), &VeloPunch::closed);
        key(Qt::Key_F4, Qt::AltModifier);
        QCOMPARE(closed.count(), 1);
    }

    void focusAfterBoxes()
    {
        // The login window puts the focus in the password box whenever it comes back.
        open<LogIn>(ID_LOGIN);
        QTest::keyClicks(focus(), "wrong");
        key(Qt::Key_Return);
        key(Qt::Key_Return); // "Ok", where Enter in the box put the focus
        QCOMPARE(f.boxes->last().title, QString("Access Denied"));
        QCOMPARE(focused(), QString("Text1"));
        key(Qt::Key_Escape);

        // Elsewhere it goes back to the control that had it, also after a run that kept it disabled.
        auto *payroll = open<Payroll>(ID_PAYROLLREPORTS);
        auto *list = ctl<QTreeWidget>(payroll, "ListView1");
        QCOMPARE(focus(), list);
        list->setCurrentItem(nullptr); // as when the focus came before the list stood anywhere
        key(Qt::Key_Space);            // ticks the first employee, a time-in without its time-out
        ctl<QPushButton>(payroll, "PushButton1")->setFocus();
        key(Qt::Key_Return);
        QTRY_COMPARE(f.boxes->last().title, zarvo::incompletePairTitle());
        QCOMPARE(focused(), QString("PushButton1"));
        key(Qt::Key_F4, Qt::ControlModifier); // closing it gives the focus back to the console
        QTRY_COMPARE(focus(), f.console.get());
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
