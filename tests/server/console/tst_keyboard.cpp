// Every window of the server from the keyboard: where the focus lands when it opens, Tab through
// its controls in layout order (leaving lists, grids and pickers), Enter on each button, Ctrl+F4;
// then the keys the table does not cover: the timesheet browser's lists chosen by keys, the
// search by keys, typing into pickers, multi-line boxes, Escape, Alt+F4 and the focus after boxes.
#include "about.h"
#include "addtime.h"
#include "clock.h"
#include "clockwindow.h"
#include "company.h"
#include "consolefixture.h"
#include "employee.h"
#include "payroll.h"
#include "payrollreports.h"
#include "searchid.h"
#include "timesheets.h"
#include <QApplication>
#include <QCheckBox>
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
    if (!w)
        return QStringLiteral("-");
    if (auto *b = qobject_cast<const QToolButton *>(w); b && b->defaultAction())
        return b->defaultAction()->objectName();
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
}

void addDay(const QString &id, const QStringList &times)
{
    zarvo::RecordSet rs;
    rs.open(Module1::instance().db, "Select * from timesheet");
    rs.addNew();
    rs.setValue("emp_id", id);
    rs.setValue("rsdate", zarvo::dayText(kToday));
    const char *columns[] = {"in1", "out1", "in2", "out2"};
    for (int i = 0; i < times.size(); ++i)
        rs.setValue(columns[i], times[i]);
    rs.update();
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
    ConsoleWindow *openByName(const QString &window)
    {
        static const QHash<QString, int> commands{
            {"LogIn", ID_LOGIN}, {"AdminPass", ID_CHANGEADMINPASSWORD}, {"Company", ID_COMPANYINFO},
            {"About", ID_ABOUTVELOPUNCHCLOCK}, {"Clock", ID_CLOCK}, {"Terminals", ID_TERMINALS},
            {"Employee", ID_NEWEMPLOYEE}, {"SearchID", ID_CHANGEEMPLOYEEID}, {"EmpTable", ID_EMPLOYEETABLE},
            {"Timesheets", ID_TIMESHEETS}, {"Payroll", ID_PAYROLLREPORTS}};
        if (window == "AddTime") {
            Module1::instance().SelectedEmpID = "E1";
            Module1::instance().SelectedDay = kToday;
            return ShowInsideConsole<AddTime>();
        }
        if (window == "Report:Detail")
            return zarvo::report::detailReport().show();
        f.console->invoke(commands.value(window));
        return f.console->host()->find(window);
    }

private slots:
    void init()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        zarvo::Clock::setFixed(QDateTime(kToday, QTime(10, 0)));
        QVERIFY(f.start());
        QVERIFY(QTest::qWaitForWindowActive(f.console.get()));
        zarvo::test::addEmployee(Module1::instance().db, "E1", "Ann", "Lee");
        zarvo::test::addEmployee(Module1::instance().db, "E2", "Bo", "Cruz");
        addDay("E1", {"08:00:00"});
        f.logIn("admin");
        QVERIFY(!Module1::instance().adminLocked());
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
        QTest::addColumn<QString>("window");
        QTest::addColumn<QStringList>("tabOrder"); // from the control that has the focus at opening
        const auto row = [](const char *window, const QString &order) {
            QTest::newRow(window) << QString(window) << order.split(' ');
        };
        row("LogIn", "Text1 PushButton2 PushButton1");
        row("AdminPass", "Text1 Text2 Text3 Pushbutton1 Pushbutton2");
        row("Company", "txtTitle txtAddress txtCity txtState txtCountry txtZip txtPhone txtPermit txtLogo "
                       "PushButton1 PushButton2");
        row("About", "PushButton1");
        row("Clock", "Text1 PushButton1");
        row("Terminals", "ListView1 TerminalHealth PushButton1");
        row("Employee", "emp_id emp_lname emp_fname emp_mname emp_sex1 emp_dob SSS emp_apt emp_address city "
                        "emp_state zip1 emp_home_phone emp_work_phone emp_cp PushButton1 PushButton4 PushButton5 "
                        "qt_tabwidget_tabbar");
        row("SearchID", "Srch_Emp_ID PushButton1 Srch_LName PushButton2 ListView1 PushButton3 PushButton4");
        row("EmpTable", "DataGrid1 PushButton1 PushButton2 PushButton3");
        row("Timesheets", "DTPicker1 DTPicker2 EmpList TimeList PushButton4");
        row("AddTime", "New Prev Neks EmpID Srch edit cancel");
        row("Payroll", "ListView1 DTPicker1 DTPicker2 PushButton1 PushButton2 CheckBox1");
        row("Report:Detail", "PageNumber Zoom Print SaveAsPdf Export Pages"); // one page: no paging
    }
    void everyWindow()
    {
        QFETCH(QString, window);
        QFETCH(QStringList, tabOrder);
        ConsoleWindow *w = openByName(window);
        QVERIFY(w);
        QCOMPARE(focused(), tabOrder.first());

        // Tab walks the controls in layout order and comes round to the first again, never
        // stopping inside a list, a grid or a picker and never leaving the window.
        QStringList walked{focused()};
        for (int i = 0; i < 40; ++i) {
            key(Qt::Key_Tab);
            if (focused() == tabOrder.first())
                break;
            walked << focused();
        }
        QVERIFY2(walked == tabOrder, qPrintable(walked.join(' ')));
        key(Qt::Key_Backtab);
        QCOMPARE(focused(), tabOrder.last());

        // Enter on each button presses it (its own action is taken away first).
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

        // Ctrl+F4 closes it.
        key(Qt::Key_F4, Qt::ControlModifier);
        QTRY_VERIFY(!f.console->host()->find(window));
    }

    void timesheetListsByKeys()
    {
        auto *w = open<Timesheets>(ID_TIMESHEETS);
        auto *emps = ctlIn<QTreeView>(w, "EmpList");
        auto *times = ctlIn<QTreeView>(w, "TimeList");
        emps->setFocus();
        key(Qt::Key_Down); // the list stands on E1 without having selected it: Down selects it
        QCOMPARE(times->model()->rowCount(), 1);
        key(Qt::Key_Down);
        QCOMPARE(times->model()->rowCount(), 0); // E2 has no rows
        key(Qt::Key_Up);
        QCOMPARE(times->model()->rowCount(), 1);
        QVERIFY(!ctlIn<QPushButton>(w, "PushButton2")->isEnabled());
        times->setFocus();
        key(Qt::Key_Down);
        QVERIFY(ctlIn<QPushButton>(w, "PushButton2")->isEnabled());
        QVERIFY(ctlIn<QPushButton>(w, "PushButton3")->isEnabled());
        // And the chosen row goes to the editor with Enter on "Edit".
        ctlIn<QPushButton>(w, "PushButton2")->setFocus();
        key(Qt::Key_Return);
        auto *editor = findInsideConsole<AddTime>();
        QVERIFY(editor);
        QCOMPARE(ctlIn<QLineEdit>(editor, "EmpID")->text(), QString("E1"));
        QCOMPARE(focused(), QString("New"));
        QVERIFY(f.boxes->boxes.isEmpty());
    }

    void searchByKeys()
    {
        open<SearchID>(ID_CHANGEEMPLOYEEID);
        QTest::keyClicks(focus(), "E2");
        key(Qt::Key_Return); // to the ID group's "Search", as the search window does
        QCOMPARE(focused(), QString("PushButton1"));
        key(Qt::Key_Return);
        key(Qt::Key_Tab);
        key(Qt::Key_Tab);
        key(Qt::Key_Tab);
        QCOMPARE(focused(), QString("ListView1"));
        key(Qt::Key_Down); // selects the one row found
        key(Qt::Key_Tab);
        key(Qt::Key_Return); // "Upload this Record"
        auto *editor = findInsideConsole<Employee>();
        QVERIFY(editor);
        QCOMPARE(ctlIn<QLineEdit>(editor, "emp_id")->text(), QString("E2"));
        QCOMPARE(focused(), QString("emp_id"));
    }

    void pickersByKeys()
    {
        Module1::instance().SelectedEmpID = "E1";
        Module1::instance().SelectedDay = kToday;
        auto *w = ShowInsideConsole<AddTime>();
        ctlIn<QPushButton>(w, "edit")->setFocus();
        key(Qt::Key_Return); // the times open for correcting, the first one taking the keys
        auto *in1 = ctlIn<QTimeEdit>(w, "In1");
        QCOMPARE(focus(), in1);
        in1->setSelectedSection(QDateTimeEdit::HourSection);
        key(Qt::Key_Right);
        QCOMPARE(in1->currentSection(), QDateTimeEdit::MinuteSection);
        key(Qt::Key_Left);
        QCOMPARE(in1->currentSection(), QDateTimeEdit::HourSection);
        // Each section fills from its digits; a separator after a section that moved on by
        // itself does not skip the next one; a letter picks PM.
        for (const QChar c : QString("7:30:15 p")) {
            if (c == ':')
                QTest::keyPress(focus(), Qt::Key_Shift); // as a ":" is typed
            QTest::keyClicks(focus(), QString(c));
        }
        QCOMPARE(in1->time(), QTime(19, 30, 15));
        key(Qt::Key_Tab);
        QCOMPARE(focused(), QString("Out1"));
        key(Qt::Key_Backtab);
        QCOMPARE(focused(), QString("In1"));

        auto *day = ctlIn<QDateEdit>(w, "rDate");
        day->setFocus();
        day->setSelectedSection(day->sectionAt(0));
        QTest::keyClicks(focus(), "12/8/2026");
        QCOMPARE(day->date(), QDate(2026, 12, 8));
        for (auto mods : {Qt::KeyboardModifiers(Qt::AltModifier), Qt::KeyboardModifiers()}) {
            key(mods ? Qt::Key_Down : Qt::Key_F4, mods); // Alt+Down, then F4
            QTRY_VERIFY(QApplication::activePopupWidget());
            QApplication::activePopupWidget()->close();
        }
        key(Qt::Key_Tab);
        QCOMPARE(focused(), QString("edit"));
    }

    void tabPagesAndMultiLineBox()
    {
        auto *w = open<Employee>(ID_NEWEMPLOYEE);
        key(Qt::Key_PageDown, Qt::ControlModifier); // the next tab page, its first box
        QCOMPARE(ctlIn<QTabWidget>(w, "TabControl1")->currentIndex(), 1);
        auto *job = ctlIn<QPlainTextEdit>(w, "Job_Description");
        QCOMPARE(focus(), job);
        QTest::keyClicks(job, "Sorts");
        key(Qt::Key_Tab);
        QCOMPARE(job->toPlainText(), QString("Sorts"));
        QCOMPARE(focused(), QString("PushButton1"));
        key(Qt::Key_Backtab);
        QCOMPARE(focused(), QString("Job_Description"));

        // "Save" disables itself: the focus does not pass on to "Search" for a second Enter.
        ctlIn<QPushButton>(w, "PushButton1")->setFocus();
        key(Qt::Key_Return); // "Add New"
        QTest::keyClicks(ctlIn<QLineEdit>(w, "emp_id"), "E9");
        QTest::keyClicks(ctlIn<QLineEdit>(w, "emp_lname"), "Ray");
        QTest::keyClicks(ctlIn<QLineEdit>(w, "emp_fname"), "Al");
        ctlIn<QPushButton>(w, "PushButton2")->setFocus();
        key(Qt::Key_Return);
        QVERIFY(f.boxes->boxes.isEmpty());
        QVERIFY(!ctlIn<QPushButton>(w, "PushButton2")->isEnabled());
        QVERIFY(focused() != "PushButton4");
        key(Qt::Key_Return);
        QVERIFY(findInsideConsole<Employee>());
    }

    void consoleKeys()
    {
        // The toolbar's commands without a menu entry have keys; Escape presses "Cancel".
        QTest::keyClick(f.console.get(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(findInsideConsole<Clock>());
        QCOMPARE(focused(), QString("Text1"));
        key(Qt::Key_F1);
        QVERIFY(f.boxes->opened.value(0).endsWith("/help.hlp"));
        key(Qt::Key_L, Qt::ControlModifier);
        QCOMPARE(focused(), QString("Text1"));
        QVERIFY(findInsideConsole<LogIn>());
        key(Qt::Key_Escape); // "Cancel"
        QTRY_VERIFY(!findInsideConsole<LogIn>());
        open<Company>(ID_COMPANYINFO);
        key(Qt::Key_Escape); // no "Cancel": nothing happens
        QVERIFY(findInsideConsole<Company>());
        // Coming back to a window gives the focus back to the control that had it.
        key(Qt::Key_Tab);
        key(Qt::Key_Tab);
        QCOMPARE(focused(), QString("txtCity"));
        open<About>(ID_ABOUTVELOPUNCHCLOCK);
        QCOMPARE(focused(), QString("PushButton1"));
        key(Qt::Key_F4, Qt::ControlModifier);
        QTRY_COMPARE(focused(), QString("txtCity"));
        key(Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(Module1::instance().adminLocked());
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
        QCOMPARE(focused(), QString("PushButton2"));
        key(Qt::Key_Return);
        QCOMPARE(f.boxes->last().title, QString("Access Denied"));
        QCOMPARE(focused(), QString("Text1"));
        key(Qt::Key_Escape);
        f.boxes->clear();

        // Elsewhere the focus goes back to the control that had it, also when the box followed a
        // payroll run that kept the buttons disabled meanwhile.
        auto *payroll = open<Payroll>(ID_PAYROLLREPORTS);
        auto *list = ctlIn<QTreeWidget>(payroll, "ListView1");
        QCOMPARE(focus(), list);
        list->setCurrentItem(nullptr); // as when the focus came before the list stood anywhere
        key(Qt::Key_Space);            // ticks the first employee, a time-in without its time-out
        QCOMPARE(list->topLevelItem(0)->checkState(0), Qt::Checked);
        ctlIn<QPushButton>(payroll, "PushButton1")->setFocus();
        key(Qt::Key_Return);
        QTRY_VERIFY(!f.boxes->boxes.isEmpty());
        QCOMPARE(f.boxes->last().title, zarvo::incompletePairTitle());
        QCOMPARE(focused(), QString("PushButton1"));
        QVERIFY(!ctlIn<QCheckBox>(payroll, "CheckBox1")->isChecked());
        // Closing it gives the focus back to the console.
        key(Qt::Key_F4, Qt::ControlModifier);
        QTRY_VERIFY(!findInsideConsole<Payroll>());
        QCOMPARE(focus(), f.console.get());
    }

private:
    template <class T> static T *ctlIn(QWidget *w, const char *name)
    {
        T *c = w->findChild<T *>(QString::fromLatin1(name));
        if (!c)
            qFatal("no control %s", name);
        return c;
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
