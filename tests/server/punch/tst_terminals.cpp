// The console's "Terminals" command: table Terminal rebuilt from the live slots, then the
// Terminals window listing it.
#include "tst_punchserver_support.h"
#include "consolewindow.h"
#include "terminals.h"
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTreeWidget>

using namespace punchtest;
using zarvo::BoxIcon;
using zarvo::test::BoxRecorder;

namespace {
QStringList tableIps(zarvo::DatabaseSession &db)
{
    zarvo::RecordSet rs;
    rs.open(db, QStringLiteral("Select * from Terminal"));
    QStringList out;
    for (; !rs.eof(); rs.moveNext())
        out << rs.text(QStringLiteral("ip"));
    return out;
}

QStringList listed(Terminals *w)
{
    auto *list = w->findChild<QTreeWidget *>(QStringLiteral("ListView1"));
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        out << list->topLevelItem(i)->text(0);
    return out;
}

/// A console with its inner-window host around the server of a test.
struct Console {
    Server s;
    QMdiArea area{&s.console};
    MdiWindowHost host{&area, &s.console};
    Console()
    {
        s.console.resize(1024, 768);
        area.resize(1024, 768);
        setWindowHost(&host);
        s.console.show();
    }
    ~Console() { setWindowHost(nullptr); }
};
} // namespace

class TestTerminals : public QObject {
    Q_OBJECT
private slots:
    void windowLooksAsItShould()
    {
        BoxRecorder boxes;
        Console c;
        c.s.rebuildTerminalList();
        auto *w = findInsideConsole<Terminals>();
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QString("Terminals Connected"));
        auto *list = w->findChild<QTreeWidget *>(QStringLiteral("ListView1"));
        QVERIFY(list);
        QCOMPARE(list->columnCount(), 1);
        QCOMPARE(list->headerItem()->text(0), QString("IP Address"));
        QVERIFY(w->findChild<QWidget *>(QStringLiteral("Frame1")));
        auto *done = w->findChild<QPushButton *>(QStringLiteral("PushButton1"));
        QCOMPARE(done->text(), QString("Done"));
        auto *frame = qobject_cast<QMdiSubWindow *>(w->parentWidget());
        QVERIFY(frame);
        QVERIFY(!(frame->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(frame->windowFlags() & Qt::WindowMinimizeButtonHint));
        // No terminal connected: an empty list and no message.
        QVERIFY(listed(w).isEmpty());
        QVERIFY(boxes.boxes.isEmpty());
        done->click();
        QTRY_VERIFY(!findInsideConsole<Terminals>());
    }

    void listsConnectedTerminalsInSlotOrder()
    {
        BoxRecorder boxes;
        boxes.autoDismissAsync = true;
        Console c;
        // Rows left from an earlier rebuild are all replaced.
        c.s.db().execScript("INSERT INTO Terminal (ip) VALUES ('10.0.0.9'); INSERT INTO Terminal (ip) VALUES ('10.0.0.8')");
        auto a = connectTerminal(c.s);
        auto gone = connectTerminal(c.s);
        auto b = connectTerminal(c.s);
        QTRY_COMPARE(c.s.server->connectionCount(), 3);
        gone->disconnectFromHost();
        QTRY_COMPARE(c.s.server->connectionCount(), 2);
        c.s.rebuildTerminalList();
        // The same machine twice gives two rows; the closed slot adds nothing.
        QCOMPARE(tableIps(c.s.db()), QStringList({"127.0.0.1", "127.0.0.1"}));
        auto *w = findInsideConsole<Terminals>();
        QVERIFY(w);
        QCOMPARE(listed(w), QStringList({"127.0.0.1", "127.0.0.1"}));
    }

    void openWindowIsBroughtForwardNotRefilled()
    {
        BoxRecorder boxes;
        boxes.autoDismissAsync = true;
        Console c;
        auto a = connectTerminal(c.s);
        QTRY_COMPARE(c.s.server->connectionCount(), 1);
        c.s.rebuildTerminalList();
        auto *w = findInsideConsole<Terminals>();
        QCOMPARE(listed(w), QStringList({"127.0.0.1"}));
        a->disconnectFromHost();
        QTRY_COMPARE(c.s.server->connectionCount(), 0);
        // The table follows the live slots, the open window keeps what it showed.
        c.s.rebuildTerminalList();
        QCOMPARE(tableIps(c.s.db()), QStringList());
        QCOMPARE(findInsideConsole<Terminals>(), w);
        QCOMPARE(listed(w), QStringList({"127.0.0.1"}));
        // Closed and reopened, it shows the new contents.
        w->closeWindow();
        QTRY_VERIFY(!findInsideConsole<Terminals>());
        c.s.rebuildTerminalList();
        QVERIFY(listed(findInsideConsole<Terminals>()).isEmpty());
    }

    void windowListsTheTableInTableOrder()
    {
        BoxRecorder boxes;
        Console c;
        // The window shows the table as it stands, unsorted, duplicates and all.
        c.s.db().execScript("INSERT INTO Terminal (ip) VALUES ('10.0.0.9'); INSERT INTO Terminal (ip) VALUES ('10.0.0.1');"
                            "INSERT INTO Terminal (ip) VALUES ('192.168.0.20'); INSERT INTO Terminal (ip) VALUES ('10.0.0.1')");
        auto *w = ShowInsideConsole<Terminals>();
        QVERIFY(w);
        QCOMPARE(listed(w), QStringList({"10.0.0.9", "10.0.0.1", "192.168.0.20", "10.0.0.1"}));
        QVERIFY(boxes.boxes.isEmpty());
    }

    void failingRebuildIsReportedAndTheConsoleStays()
    {
        BoxRecorder boxes;
        Console c;
        c.s.db().execScript("DROP TABLE Terminal");
        c.s.rebuildTerminalList();
        QCOMPARE(boxes.boxes.size(), 1);
        QCOMPARE(boxes.last().icon, BoxIcon::Exclamation);
        QCOMPARE(boxes.last().title, QString("Zarvo Punch Server"));
        QVERIFY(c.s.console.isVisible());
    }

    void closedDatabaseClosesTheConsole()
    {
        BoxRecorder boxes;
        Console c;
        c.s.db().close();
        c.s.rebuildTerminalList();
        QCOMPARE(boxes.boxes.size(), 1);
        QCOMPARE(boxes.last().text, QString("Could not open database ..."));
        QCOMPARE(boxes.last().title, QString("Connection Failed"));
        QCOMPARE(boxes.last().icon, BoxIcon::Exclamation);
        QVERIFY(!c.s.console.isVisible());
        QVERIFY(!findInsideConsole<Terminals>());
    }

    void windowLoadWithClosedDatabaseClosesTheWindow()
    {
        BoxRecorder boxes;
        Console c;
        c.s.db().close();
        QVERIFY(!ShowInsideConsole<Terminals>());
        QCOMPARE(boxes.boxes.size(), 1);
        QCOMPARE(boxes.last().title, QString("Connection Failed"));
        QTRY_VERIFY(!findInsideConsole<Terminals>());
    }
};

QTEST_MAIN(TestTerminals)
#include "tst_terminals.moc"
