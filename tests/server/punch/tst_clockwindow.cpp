// The clock window: lookup over its snapshot, the punch outcome lines, the boxes, the running
// date and time, its pointer and its layout. Runs under U.S. settings.
#include "clock.h"
#include "artwork.h"
#include "boxrecorder.h"
#include "clockwindow.h"
#include "consolewindow.h"
#include "module1.h"
#include "testdb.h"
#include "uiutil.h"
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using zarvo::BoxIcon;
using zarvo::RecordSet;
using zarvo::test::BoxRecorder;

namespace {
const QDateTime kT0(QDate(2009, 1, 7), QTime(15, 4, 5));
const QString kNoRecords = QStringLiteral("No Current Records Found\r\rPlease Add an Employee to Continue...");

int timesheetRows() { return int(Module1::instance().db.countRows("timesheet")); }
} // namespace

class TestClockWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<zarvo::test::ServerDb> sdb;
    std::unique_ptr<QWidget> console;
    QMdiArea *area = nullptr;
    std::unique_ptr<MdiWindowHost> host;
    std::unique_ptr<BoxRecorder> boxes;

    Clock *open() { return ShowInsideConsole<Clock>(); }
    template <class T> T *child(Clock *w, const char *name) { return w->findChild<T *>(QString::fromLatin1(name)); }
    QLineEdit *idBox(Clock *w) { return child<QLineEdit>(w, "Text1"); }
    QString nameLine(Clock *w) { return child<QLabel>(w, "Label5")->text(); }
    QString actionLine(Clock *w) { return child<QLabel>(w, "Label6")->text(); }
    void punch(Clock *w, const QString &id)
    {
        QTest::keyClicks(idBox(w), id);
        QTest::keyClick(idBox(w), Qt::Key_Return);
    }
    void addEmployee(const QString &id, const QString &first, const QString &last)
    {
        zarvo::test::addEmployee(Module1::instance().db, id, first, last);
    }

private slots:
    void init()
    {
        sdb = std::make_unique<zarvo::test::ServerDb>();
        Module1::instance().db.close();
        Module1::instance().db.open(sdb->path, "pluma");
        console = std::make_unique<QWidget>();
        area = new QMdiArea(console.get());
        area->resize(1000, 700);
        host = std::make_unique<MdiWindowHost>(area, console.get());
        setWindowHost(host.get());
        console->show();
        boxes = std::make_unique<BoxRecorder>();
        zarvo::Clock::setFixed(kT0);
    }
    void cleanup()
    {
        setWindowHost(nullptr);
        host.reset();
        console.reset();
        boxes.reset();
        zarvo::Clock::clearFixed();
    }

    void layout_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("twipsRect");
        QTest::newRow("Label1") << "Label1" << QRect(1320, 240, 4815, 495);
        QTest::newRow("Picture1") << "Picture1" << QRect(360, 960, 2055, 2055);
        QTest::newRow("Label2") << "Label2" << QRect(3120, 1320, 1335, 255);
        QTest::newRow("Text1") << "Text1" << QRect(3120, 1560, 2895, 285);
        QTest::newRow("Frame1") << "Frame1" << QRect(120, 2880, 3015, 975);
        QTest::newRow("Label5") << "Label5" << QRect(720, 240, 2175, 255);
        QTest::newRow("Label6") << "Label6" << QRect(720, 480, 2175, 255);
        QTest::newRow("GroupBox1") << "GroupBox1" << QRect(4800, 2280, 1695, 1695);
        QTest::newRow("PushButton1") << "PushButton1" << QRect(120, 120, 1455, 1455);
    }
    void layout()
    {
        QFETCH(QString, name);
        QFETCH(QRect, twipsRect);
        Clock *w = open();
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QString("Zarvo Punch Clock System"));
        QCOMPARE(w->size(), QSize(zarvo::twips(6675), zarvo::twips(4215)));
        auto *c = w->findChild<QWidget *>(name);
        QVERIFY2(c, qPrintable(name));
        QCOMPARE(c->geometry(), zarvo::twipsRect(twipsRect.x(), twipsRect.y(), twipsRect.width(), twipsRect.height()));
        QCOMPARE(child<QLabel>(w, "Label2")->text(), QString("Employee ID"));
        QCOMPARE(child<QLabel>(w, "Label3")->text(), QString("Name "));
        QCOMPARE(child<QLabel>(w, "Label4")->text(), QString("Action "));
        QCOMPARE(child<QPushButton>(w, "PushButton1")->toolTip(), QString("Close this Window"));
        QVERIFY(child<QPushButton>(w, "PushButton1")->text().isEmpty());
        QCOMPARE(child<QLabel>(w, "Picture1")->pixmap().size(), QSize(128, 128));
        QVERIFY(nameLine(w).isEmpty());
        QVERIFY(actionLine(w).isEmpty());
        QVERIFY(idBox(w)->text().isEmpty());
    }

    void actionLineFitsAtEveryHour()
    {
        addEmployee("E100", "Ann", "Lee");
        Clock *w = open();
        QLabel *action = child<QLabel>(w, "Label6");
        for (int hour = 0; hour < 24; ++hour) {
            // A new day for each hour, so every punch signs in and the next one signs out.
            for (int i = 0; i < 2; ++i) {
                zarvo::Clock::setFixed(QDateTime(QDate(2009, 1, 1).addDays(hour), QTime(hour, 58, 48 + i)));
                punch(w, "E100");
                QVERIFY2(action->fontMetrics().horizontalAdvance(action->text()) <= action->contentsRect().width(),
                         qPrintable(action->text()));
            }
            QVERIFY(action->text().startsWith("Signed Out At "));
        }
        QVERIFY(action->text().endsWith(" PM"));
        QCOMPARE(action->geometry(), zarvo::twipsRect(720, 480, 2175, 255)); // the layout stays
        // The name line and its caption share the action line's type.
        QCOMPARE(child<QLabel>(w, "Label5")->font(), action->font());
        QCOMPARE(child<QLabel>(w, "Label3")->font(), action->font());
        QVERIFY(boxes->boxes.isEmpty());
    }

    void everyTypedKeyComplainsWithoutEmployees()
    {
        Clock *w = open();
        QTest::keyClicks(idBox(w), "A7");
        QCOMPARE(boxes->boxes.size(), 2);
        for (const auto &b : boxes->boxes) {
            QCOMPARE(b.text, kNoRecords);
            QCOMPARE(b.title, QString("Error! Searching Employee Record"));
            QCOMPARE(b.icon, BoxIcon::Information);
        }
        QCOMPARE(idBox(w)->text(), QString("A7")); // the keys are still typed
        QTest::keyClick(idBox(w), Qt::Key_Backspace);
        QCOMPARE(boxes->boxes.size(), 3);
        QCOMPARE(idBox(w)->text(), QString("A"));
        QTest::keyClick(idBox(w), Qt::Key_Return);
        QCOMPARE(boxes->boxes.size(), 4);
        QCOMPARE(boxes->last().title, QString("Error! Searching Employee Record"));
        // Keys that type nothing are not typed keys.
        QTest::keyClick(idBox(w), Qt::Key_Left);
        QTest::keyClick(idBox(w), Qt::Key_Shift);
        QTest::keyClick(idBox(w), Qt::Key_Tab); // moves the focus on, types nothing
        QCOMPARE(boxes->boxes.size(), 4);
        QCOMPARE(timesheetRows(), 0);
        QVERIFY(nameLine(w).isEmpty());
    }

    void unknownIdsAreNotFound_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("other letter case") << "e100";
        QTest::newRow("trailing blank") << "E100 ";
        QTest::newRow("leading blank") << " E100";
        QTest::newRow("no such id") << "Z9";
        QTest::newRow("quote") << "E1'00";
        QTest::newRow("empty") << "";
    }
    void unknownIdsAreNotFound()
    {
        QFETCH(QString, typed);
        addEmployee("E100", "Ann", "Lee");
        addEmployee("E200", "Bob", "Ray");
        Clock *w = open();
        punch(w, "E200");
        QCOMPARE(nameLine(w), QString("Bob Ray"));
        boxes->clear();
        punch(w, typed);
        QCOMPARE(boxes->boxes.size(), 1);
        QCOMPARE(boxes->last().text, QString("No Record Found That Match Your ID"));
        QCOMPARE(boxes->last().title, QString("Record Not Found"));
        QCOMPARE(boxes->last().icon, BoxIcon::Exclamation);
        QVERIFY(idBox(w)->text().isEmpty());
        QCOMPARE(nameLine(w), QString("Bob Ray")); // result lines keep their text
        QCOMPARE(actionLine(w), QString("Signed In At 3:04:05 PM"));
        QCOMPARE(timesheetRows(), 1);
    }

    void punchesAlternateAndTheSeventhChangesNothing()
    {
        addEmployee("E100", "Ann", "Lee");
        addEmployee("E200", "Bob", "Ray");
        Clock *w = open();
        const QStringList expected = {"Signed In At", "Signed Out At", "Signed In At",
                                      "Signed Out At", "Signed In At", "Signed Out At"};
        QDateTime t = kT0;
        for (int i = 0; i < 6; ++i) {
            zarvo::Clock::setFixed(t);
            punch(w, "E100");
            QCOMPARE(nameLine(w), QString("Ann Lee"));
            QCOMPARE(actionLine(w), expected[i] + " " + t.time().toString("h:mm:ss AP"));
            QVERIFY(idBox(w)->text().isEmpty());
            t = t.addSecs(61);
        }
        zarvo::Clock::setFixed(t);
        punch(w, "E200");
        const QString bobsLine = "Signed In At " + t.time().toString("h:mm:ss AP");
        QCOMPARE(actionLine(w), bobsLine);
        zarvo::Clock::setFixed(t.addSecs(30));
        punch(w, "E100"); // the seventh
        QCOMPARE(nameLine(w), QString("Ann Lee"));
        QCOMPARE(actionLine(w), bobsLine);
        QVERIFY(idBox(w)->text().isEmpty());
        QVERIFY(boxes->boxes.isEmpty());
        RecordSet rs;
        rs.open(Module1::instance().db, "Select * from timesheet where emp_id = ?", {"E100"});
        QCOMPARE(rs.recordCount(), 1);
        QCOMPARE(rs.text("rsdate"), QString("01/07/2009"));
        QCOMPARE(rs.text("in1"), QString("15:04:05"));
        QCOMPARE(rs.text("out3"), QString("15:09:10"));
    }

    void hoursLineAfterEachPunchThenCleared()
    {
        addEmployee("E100", "Ann", "Lee");
        // Monday of the same week: 8 hours.
        Module1::instance().db.execScript("INSERT INTO timesheet (emp_id, rsdate, in1, out1) "
                                          "VALUES ('E100', '2009-01-05', '08:00:00', '16:00:00')");
        Clock *w = open();
        QLabel *hours = child<QLabel>(w, "Label7");
        QCOMPARE(hours->geometry(), zarvo::twipsRect(240, 3870, 4440, 255)); // under the frame, inside
        zarvo::Clock::setFixed(QDateTime(QDate(2009, 1, 7), QTime(8, 0, 0)));
        punch(w, "E100");
        QCOMPARE(hours->text(), QString("Today 0.00 h \u00B7 This week 8.00 h"));
        zarvo::Clock::setFixed(QDateTime(QDate(2009, 1, 7), QTime(12, 15, 30)));
        punch(w, "E100");
        QCOMPARE(hours->text(), QString("Today 4.25 h \u00B7 This week 12.25 h"));
        QVERIFY(hours->fontMetrics().horizontalAdvance(hours->text()) <= hours->contentsRect().width());
        // It goes by itself, so the next employee does not read it.
        auto *timer = hours->findChild<QTimer *>("HoursLineTimer");
        QVERIFY(timer && timer->isActive());
        QCOMPARE(timer->interval(), 10000);
        timer->start(1);
        QTRY_VERIFY(hours->text().isEmpty());
        punch(w, "E100"); // the third
        punch(w, "NOBODY");
        QVERIFY(hours->text().isEmpty()); // not found: nothing, nor anything left from before
        for (int i = 0; i < 4; ++i)
            punch(w, "E100"); // the fourth to the seventh
        QVERIFY(hours->text().isEmpty()); // a full day: nothing either
        QCOMPARE(boxes->boxes.size(), 1); // the one "Record Not Found"
    }

    void eitherEnterKeyPunches_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Return") << int(Qt::Key_Return);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
    }
    void eitherEnterKeyPunches()
    {
        QFETCH(int, key);
        addEmployee("E100", "Ann", "Lee");
        Clock *w = open();
        QTest::keyClicks(idBox(w), "E100");
        QTest::keyClick(idBox(w), Qt::Key(key));
        QCOMPARE(nameLine(w), QString("Ann Lee"));
        QCOMPARE(actionLine(w), QString("Signed In At 3:04:05 PM"));
        QVERIFY(idBox(w)->text().isEmpty());
        QCOMPARE(timesheetRows(), 1);
        QVERIFY(boxes->boxes.isEmpty());
    }

    void focusGoesToTheIdBoxOnEachActivation()
    {
        addEmployee("E100", "Ann", "Lee");
        Clock *w = open();
        QCOMPARE(w->focusWidget(), idBox(w));
        child<QPushButton>(w, "PushButton1")->setFocus();
        QCOMPARE(w->focusWidget(), child<QPushButton>(w, "PushButton1"));
        ConsoleWindow *other = ShowInsideConsole<ConsoleWindow>();
        QVERIFY(other);
        QCOMPARE(area->activeSubWindow()->widget(), other);
        QCOMPARE(open(), w); // brought forward, not reloaded
        QCOMPARE(area->activeSubWindow()->widget(), w);
        QCOMPARE(w->focusWidget(), idBox(w));
        QCOMPARE(area->subWindowList().size(), 2);
    }

    void aNullNamePartKeepsTheBlank()
    {
        zarvo::test::addEmployee(Module1::instance().db, "N1", "Cher", QString());
        Clock *w = open();
        punch(w, "N1");
        QCOMPARE(nameLine(w), QString("Cher "));
    }

    void employeesAddedLaterNeedTheWindowReopened()
    {
        addEmployee("E100", "Ann", "Lee");
        Clock *w = open();
        addEmployee("E300", "Cy", "Moe");
        punch(w, "E300");
        QCOMPARE(boxes->last().title, QString("Record Not Found"));
        QCOMPARE(timesheetRows(), 0);
        w->closeWindow();
        QTRY_VERIFY(!findInsideConsole<Clock>());
        w = open();
        boxes->clear();
        punch(w, "E300");
        QVERIFY(boxes->boxes.isEmpty());
        QCOMPARE(nameLine(w), QString("Cy Moe"));
        QCOMPARE(timesheetRows(), 1);
    }

    void dateAndTimeKeepRunningWhileABoxIsOpen()
    {
        Clock *w = open();
        auto *display = child<QLabel>(w, "Label1");
        QCOMPARE(display->text(), QString("1/7/2009 3:04:05 PM"));
        QCOMPARE(display->font().family(), QString("Times New Roman"));
        bool ran = false;
        boxes->whileOpen = [&](const zarvo::MessageBox &) {
            zarvo::Clock::setFixed(kT0.addSecs(2));
            QTRY_COMPARE_WITH_TIMEOUT(display->text(), QString("1/7/2009 3:04:07 PM"), 1000);
            ran = true;
        };
        QTest::keyClick(idBox(w), Qt::Key_X); // no employees: a box opens
        QVERIFY(ran);
        boxes->whileOpen = nullptr;
        zarvo::Clock::setFixed(QDateTime(QDate(2010, 12, 31), QTime(0, 0, 9)));
        QTRY_COMPARE(display->text(), QString("12/31/2010 12:00:09 AM"));
    }

    // Reading the employee or writing the punch fails: neither an unknown ID nor a punch.
    void aFailingStoreIsReportedAndNothingIsShownAsRecorded_data()
    {
        QTest::addColumn<QString>("table"); // taken away after the window opened
        QTest::newRow("writing the punch") << "timesheet";
        QTest::newRow("reading the employee") << "Employee";
    }
    void aFailingStoreIsReportedAndNothingIsShownAsRecorded()
    {
        QFETCH(QString, table);
        addEmployee("E100", "Ann", "Lee");
        Clock *w = open();
        Module1::instance().db.execScript("ALTER TABLE " + table + " RENAME TO away");
        punch(w, "E100");
        QCOMPARE(boxes->boxes.size(), 1);
        QCOMPARE(boxes->last().text.toLower(), ("The punch was not recorded.\r\rno such table: " + table).toLower());
        QCOMPARE(boxes->last().title, QString("Error! Recording Punch"));
        QCOMPARE(boxes->last().icon, BoxIcon::Exclamation);
        QVERIFY(actionLine(w).isEmpty());
        QCOMPARE(idBox(w)->text(), QString("E100")); // kept for another try
        Module1::instance().db.execScript("ALTER TABLE away RENAME TO " + table);
        QTest::keyClick(idBox(w), Qt::Key_Return);
        QCOMPARE(boxes->boxes.size(), 1);
        QCOMPARE(nameLine(w), QString("Ann Lee"));
        QVERIFY(actionLine(w).startsWith("Signed In At "));
        QCOMPARE(timesheetRows(), 1);
    }

    void closedConnectionClosesTheWindow()
    {
        Module1::instance().db.close();
        QVERIFY(!open());
        QCOMPARE(boxes->boxes.size(), 1);
        QCOMPARE(boxes->last().text, QString("Could not open database ..."));
        QCOMPARE(boxes->last().title, QString("Connection Failed"));
        QCOMPARE(boxes->last().icon, BoxIcon::Exclamation);
        QTRY_VERIFY(area->subWindowList().isEmpty());
    }

    void pointerOverTheCloseButton()
    {
        Clock *w = open();
        auto *button = child<QPushButton>(w, "PushButton1");
        auto *frame = child<QGroupBox>(w, "GroupBox1");
        QCOMPARE(w->cursor().shape(), Qt::ArrowCursor);
        QTest::mouseMove(button);
        QMouseEvent overButton(QEvent::MouseMove, QPointF(5, 5), button->mapToGlobal(QPointF(5, 5)),
                               Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(button, &overButton);
        QCOMPARE(w->cursor().shape(), Qt::BitmapCursor);
        QMouseEvent overLabel(QEvent::MouseMove, QPointF(2, 2), QPointF(), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(child<QLabel>(w, "Label2"), &overLabel);
        QCOMPARE(w->cursor().shape(), Qt::BitmapCursor); // stays as last set
        QMouseEvent overFrame(QEvent::MouseMove, QPointF(2, 2), frame->mapToGlobal(QPointF(2, 2)),
                              Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(frame, &overFrame);
        QCOMPARE(w->cursor().shape(), Qt::ArrowCursor);
        // A move the frame receives at a point inside the button is a move over the button.
        const QPointF inside = QRectF(button->geometry()).center();
        QMouseEvent viaFrame(QEvent::MouseMove, inside, frame->mapToGlobal(inside), Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(frame, &viaFrame);
        QCOMPARE(w->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(w->cursor().pixmap().size(), zarvo::Artwork::pointer().pixmap().size());
    }

    void closeButtonClosesTheWindow()
    {
        Clock *w = open();
        auto *timer = w->findChild<QTimer *>("Timer1");
        QVERIFY(timer && timer->isActive());
        QTest::mouseClick(child<QPushButton>(w, "PushButton1"), Qt::LeftButton);
        QTRY_VERIFY(!findInsideConsole<Clock>());
        QTRY_VERIFY(area->subWindowList().isEmpty());
    }
};

int main(int argc, char **argv)
{
    // The window shows the system's date and time texts; these cases are written for U.S. ones.
    qputenv("LC_ALL", "en_US.UTF-8");
    qputenv("LANG", "en_US.UTF-8");
    QApplication app(argc, argv);
    TestClockWindow t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_clockwindow.moc"
