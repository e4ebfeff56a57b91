// Bad input and many connections against the punch server: the server keeps running and every
// punch is recorded exactly once. The heaviest loads are in tst_punchserver_stress.
#include "tst_punchserver_support.h"
#include <vector>

using namespace punchtest;
using zarvo::test::BoxRecorder;

namespace {
const QDateTime kNow(QDate(2026, 12, 9), QTime(8, 30, 15));
} // namespace

class TestPunchServerLoad : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { raiseDescriptorLimit(); }
    void init() { zarvo::Clock::setFixed(kNow); }
    void cleanup() { zarvo::Clock::clearFixed(); }

    void overLongIdDropsOnlyThatConnection()
    {
        BoxRecorder boxes;
        boxes.autoDismissAsync = true;
        Server s;
        s.addEmployees(1, 2);
        auto good = connectTerminal(s);
        auto bad = connectTerminal(s);
        QTRY_COMPARE(s.server->connectionCount(), 2);
        bad->write(QByteArray(10 * 1024 * 1024, 'E'));
        QTRY_COMPARE_WITH_TIMEOUT(bad->state(), QAbstractSocket::UnconnectedState, 10000);
        QCOMPARE(s.server->connectionCount(), 1);
        QCOMPARE(s.db().countRows("timesheet"), 0);
        good->write("E1");
        QCOMPARE(readAtLeast(*good, 18), QByteArray("CRACRA").left(3) + "RINFirst1 Last1");
        QCOMPARE(boxes.countTitled("Zarvo Punch Server"), 0);
    }

    void idOfExactlyTheLargestSizeIsStillAnswered()
    {
        BoxRecorder boxes;
        boxes.autoDismissAsync = true;
        Server s;
        auto t = connectTerminal(s);
        QCOMPARE(readAtLeast(*t, 3), QByteArray("CRA"));
        t->write(QByteArray(PunchServer::MaxMessage, 'x'));
        QCOMPARE(readAtLeast(*t, 3), QByteArray("NRF"));
        QCOMPARE(s.server->connectionCount(), 1);
    }

    void binaryBytesAndNuls_data()
    {
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("nul alone") << QByteArray(1, '\0');
        QTest::newRow("id with nul") << QByteArray("E1\0", 3);
        QTest::newRow("nul before id") << QByteArray("\0E1", 3);
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        QTest::newRow("every byte") << all;
        QTest::newRow("utf-8 text") << QByteArray("E\xc3\xa9\xe2\x82\xac");
    }

    void binaryBytesAndNuls()
    {
        QFETCH(QByteArray, sent);
        BoxRecorder boxes;
        boxes.autoDismissAsync = true;
        Server s;
        s.addEmployees(1, 2);
        auto t = connectTerminal(s);
        QCOMPARE(readAtLeast(*t, 3), QByteArray("CRA"));
        t->write(sent);
        QCOMPARE(readAtLeast(*t, 3), QByteArray("NRF"));
        QCOMPARE(s.db().countRows("timesheet"), 0);
        QCOMPARE(s.db().countRows("Employee"), 1);
        t->write("E1");
        QCOMPARE(readAtLeast(*t, 15), QByteArray("RINFirst1 Last1"));
    }

    void capDropsTheOldestTerminalThatNeverPunched()
    {
        BoxRecorder boxes;
        boxes.autoDismissAsync = true;
        Server s;
        s.addEmployees(1, 4);
        s.server->setConnectionCap(3);
        auto a = connectTerminal(s);
        auto b = connectTerminal(s);
        auto c = connectTerminal(s);
        QTRY_COMPARE(s.server->connectionCount(), 3);
        a->write("E1");
        QCOMPARE(readAtLeast(*a, 18), QByteArray("CRARINFirst1 Last1"));
        auto d = connectTerminal(s);
        // b (slot 2) is the oldest idle one.
        QTRY_COMPARE(b->state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(s.server->connectionCount(), 3);
        c->write("E2");
        d->write("E3");
        QTRY_COMPARE(s.filledSlots("E3"), 1);
        QTRY_COMPARE(s.filledSlots("E2"), 1);
        // Every terminal has punched: a newcomer is refused, the working ones stay.
        auto e = connectTerminal(s);
        QTRY_COMPARE(e->state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(s.server->connectionCount(), 3);
        a->write("E1");
        QCOMPARE(readAtLeast(*a, 15), QByteArray("OUTFirst1 Last1"));
        QCOMPARE(s.server->droppedConnections(), 2);
    }

    void resetsInTheMiddleOfRepliesLoseAndDoubleNothing()
    {
        BoxRecorder boxes;
        boxes.autoDismissAsync = true;
        Server s;
        s.addEmployees(0, 200);
        for (int i = 0; i < 200; ++i) {
            QTcpSocket t;
            t.connectToHost(QHostAddress::LocalHost, s.server->port());
            QVERIFY(t.waitForConnected(5000));
            t.write(QByteArray("E") + QByteArray::number(i));
            t.flush();
            // Leave at once without reading: the server's reply meets a closed or reset socket.
            t.abort();
        }
        for (int i = 0; i < 200; ++i)
            QTRY_COMPARE(s.filledSlots(QStringLiteral("E%1").arg(i)), 1);
        QTRY_COMPARE(s.server->connectionCount(), 0);
        QCOMPARE(s.db().countRows("timesheet"), 200);
        probeAnswered(s);
    }

    void connectAndCloseInATightLoop()
    {
        BoxRecorder boxes;
        Server s;
        for (int i = 0; i < 500; ++i) {
            QTcpSocket t;
            t.connectToHost(QHostAddress::LocalHost, s.server->port());
            QVERIFY(t.waitForConnected(5000));
            t.abort();
        }
        QTRY_COMPARE_WITH_TIMEOUT(s.server->lastSlot(), 500, 10000);
        QTRY_COMPARE(s.server->connectionCount(), 0);
        boxes.dismissAll(); // boxes of terminals long gone: nothing is sent, nothing breaks
        QCOMPARE(boxes.countTitled("Zarvo Punch Server"), 0);
        probeAnswered(s);
    }

};

QTEST_MAIN(TestPunchServerLoad)
#include "tst_punchserver_load.moc"
