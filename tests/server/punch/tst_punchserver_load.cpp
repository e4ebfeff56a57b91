// Bad input and many connections against the punch server: the server keeps running and every
// punch is recorded exactly once. The heaviest loads are in tst_punchserver_stress.
#include "tst_punchserver_support.h"
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
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
        auto t = acceptedTerminal(s);
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
        // Every byte but the extension's frame start, which no ID box lets through.
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            if (b != 0x02)
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
        auto t = acceptedTerminal(s);
        t->write(sent);
        QCOMPARE(readAtLeast(*t, 3), QByteArray("NRF"));
        QCOMPARE(s.db().countRows("timesheet"), 0);
        QCOMPARE(s.db().countRows("Employee"), 1);
        t->write("E1");
        QCOMPARE(readAtLeast(*t, 15), QByteArray("RINFirst1 Last1"));
    }

    void manyTerminalsBehindOneAddressAreAllKept()
    {
        // A router (NAT, a VPN from a second site) puts many terminals behind one address:
        // while the server has room, none of them is closed.
        BoxRecorder boxes;
        boxes.autoDismissAsync = true;
        Server s;
        s.addEmployees(0, 100);
        std::vector<std::unique_ptr<QTcpSocket>> ts;
        for (int i = 0; i < 100; ++i) {
            ts.push_back(connectFrom(s, "127.0.0.2"));
            ts.back()->write(QByteArray("E") + QByteArray::number(i));
        }
        for (int i = 0; i < 100; ++i) {
            const QByteArray reply = "RINFirst" + QByteArray::number(i) + " Last" + QByteArray::number(i);
            QVERIFY2(readAtLeast(*ts[size_t(i)], 3 + reply.size()).contains(reply), qPrintable(QString::number(i)));
        }
        QCOMPARE(s.server->connectionCount(), 100);
        QCOMPARE(s.server->droppedConnections(), 0);
        QCOMPARE(boxes.countTitled("Connections Turned Away"), 0);
        QCOMPARE(s.db().countRows("timesheet"), 100);
    }

    void roomIsMadeFromTheBusiestAddress_data()
    {
        // Terminals as "address:punches" in connection order, then the newcomer's address.
        QTest::addColumn<int>("cap");
        QTest::addColumn<QStringList>("terminals");
        QTest::addColumn<QString>("newcomer");
        QTest::addColumn<int>("closed"); // index into terminals, -1: the newcomer is refused
        QTest::addColumn<QString>("notice");
        QTest::newRow("server full: busiest address gives way") << 4
            << QStringList{"127.0.0.3:0", "127.0.0.2:0", "127.0.0.2:1", "127.0.0.2:0"} << "127.0.0.4" << 1
            << "The server holds its most connections (4). 127.0.0.2 holds 3 of them";
        QTest::newRow("server full: the newcomer's own address gives way") << 3
            << QStringList{"127.0.0.2:1", "127.0.0.2:0", "127.0.0.3:0"} << "127.0.0.2" << 1
            << "The server holds its most connections (3). 127.0.0.2 holds 2 of them";
        QTest::newRow("server full, one each: refused") << 2
            << QStringList{"127.0.0.2:0", "127.0.0.3:0"} << "127.0.0.4" << -1
            << "The server holds its most connections (2), one from each address: a terminal at 127.0.0.4 was refused.";
    }
    void roomIsMadeFromTheBusiestAddress()
    {
        QFETCH(int, cap);
        QFETCH(QStringList, terminals);
        QFETCH(QString, newcomer);
        QFETCH(int, closed);
        QFETCH(QString, notice);
        BoxRecorder boxes;
        boxes.autoDismissAsync = true;
        Server s;
        s.addEmployees(0, 10);
        s.server->setConnectionCap(cap);
        std::vector<std::unique_ptr<QTcpSocket>> ts;
        for (const QString &t : terminals) {
            ts.push_back(connectFrom(s, t.section(':', 0, 0)));
            QCOMPARE(readAtLeast(*ts.back(), 3), QByteArray("CRA"));
        }
        // The ones marked punch afterwards: they are the recently active ones.
        for (size_t i = 0; i < ts.size(); ++i) {
            if (terminals[int(i)].endsWith(":1")) {
                ts[i]->write(QByteArray("E") + QByteArray::number(qulonglong(i)));
                QVERIFY(!readAtLeast(*ts[i], 3).isEmpty());
            }
        }
        boxes.autoDismissAsync = false;
        auto late = connectFrom(s, newcomer);
        if (closed >= 0) {
            QTRY_COMPARE(ts[size_t(closed)]->state(), QAbstractSocket::UnconnectedState);
            late->write("E9");
            QCOMPARE(readAtLeast(*late, 12), QByteArray("RINFirst9 Last9"));
        } else {
            QTRY_COMPARE(late->state(), QAbstractSocket::UnconnectedState);
        }
        // Everyone else is still served.
        for (size_t i = 0; i < ts.size(); ++i) {
            if (int(i) == closed)
                continue;
            QCOMPARE(ts[i]->state(), QAbstractSocket::ConnectedState);
            ts[i]->write("nobody");
            QCOMPARE(readAtLeast(*ts[i], 3), QByteArray("NRF"));
        }
        QCOMPARE(s.server->droppedConnections(), 1);
        // The operator is told, without being stopped.
        QCOMPARE(boxes.pending.size(), closed >= 0 ? 2 : 1);
        QCOMPARE(boxes.pending[0].box.title, QString("Connections Turned Away"));
        QVERIFY2(boxes.pending[0].box.text.startsWith(notice), qPrintable(boxes.pending[0].box.text));
    }

    void evictedTerminalsPunchIsStillRecordedAndAnswered()
    {
        BoxRecorder boxes;
        boxes.autoDismissAsync = true;
        Server s;
        s.addEmployees(0, 10);
        s.server->setConnectionCap(3);
        auto victim = connectFrom(s, "127.0.0.2");
        auto other = connectFrom(s, "127.0.0.2");
        auto third = connectFrom(s, "127.0.0.3");
        for (auto *t : {victim.get(), other.get(), third.get()})
            QCOMPARE(readAtLeast(*t, 3), QByteArray("CRA"));
        // Both punch, the victim first, and a newcomer arrives in the same turn: whether the
        // server reads the punches before or after it accepts, the victim is the least recently
        // active of the busiest address, and what it sent is still recorded and answered.
        victim->write("E1");
        victim->flush();
        other->write("E2");
        other->flush();
        auto newcomer = connectFrom(s, "127.0.0.4");
        QCOMPARE(readAtLeast(*victim, 15), QByteArray("RINFirst1 Last1"));
        QTRY_COMPARE(victim->state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(readAtLeast(*other, 15), QByteArray("RINFirst2 Last2"));
        QCOMPARE(other->state(), QAbstractSocket::ConnectedState);
        QCOMPARE(s.filledSlots("E1"), 1);
        QCOMPARE(s.filledSlots("E2"), 1);
    }

    void keepAliveOnEveryTerminalConnection()
    {
        BoxRecorder boxes;
        boxes.autoDismissAsync = true;
        Server s;
        auto t = acceptedTerminal(s);
        const int fd = s.server->descriptorOf(1);
        QVERIFY(fd >= 0);
        const auto option = [fd](int level, int name) {
            int v = -1;
            socklen_t size = sizeof v;
            getsockopt(fd, level, name, &v, &size);
            return v;
        };
        QCOMPARE(option(SOL_SOCKET, SO_KEEPALIVE), 1);
        // A vanished terminal is found within about two minutes.
        const int deadAfter = option(IPPROTO_TCP, TCP_KEEPIDLE)
            + option(IPPROTO_TCP, TCP_KEEPCNT) * option(IPPROTO_TCP, TCP_KEEPINTVL);
        QVERIFY2(deadAfter > 30 && deadAfter <= 120, qPrintable(QString::number(deadAfter)));
        QVERIFY(option(IPPROTO_TCP, TCP_USER_TIMEOUT) <= 120000);
        // A live terminal answers the probes: nothing else ends an idle connection.
        QVERIFY(!t->waitForDisconnected(300));
        t->write("nobody");
        QCOMPARE(readAtLeast(*t, 3), QByteArray("NRF"));
    }

    void halfClosedTerminalGetsItsReplyBeforeTheClose()
    {
        BoxRecorder boxes;
        boxes.autoDismissAsync = true;
        Server s;
        s.addEmployees(1, 2);
        auto t = acceptedTerminal(s);
        t->write("E1");
        t->flush();
        ::shutdown(int(t->socketDescriptor()), SHUT_WR);
        QCOMPARE(readAtLeast(*t, 15), QByteArray("RINFirst1 Last1"));
        QTRY_COMPARE(t->state(), QAbstractSocket::UnconnectedState);
        QTRY_COMPARE(s.server->connectionCount(), 0);
        QCOMPARE(s.filledSlots("E1"), 1);
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
