// Every exchange of the punch protocol against the punch server, with raw terminal sockets.
#include "tst_punchserver_support.h"
#include "protocol.h"
#include "operatornotices.h"
#include "punchrule.h"

using namespace punchtest;
using zarvo::BoxIcon;
using zarvo::test::BoxRecorder;

namespace {
const QDateTime kNow(QDate(2026, 12, 9), QTime(8, 30, 15));
}

class TestPunchServer : public QObject {
    Q_OBJECT
private slots:
    void init() { zarvo::Clock::setFixed(kNow); }
    void cleanup() { zarvo::Clock::clearFixed(); }

    void listensOnTheOverriddenPortOnAllInterfaces()
    {
        Server s;
        QVERIFY(s.server->isListening());
        QVERIFY(s.server->port() != 0);
        QVERIFY(s.server->port() != zarvo::Protocol::Port);
        QCOMPARE(s.server->lastSlot(), 0);
    }

    void secondServerOnTheSamePortFails()
    {
        Server s;
        qputenv("ZARVO_PUNCH_PORT", QByteArray::number(s.server->port()));
        QWidget console;
        PunchServer second(&console, s.db());
        QVERIFY(!second.listen());
        // The box says what to do about it, since an outgoing connection may hold the port too.
        QVERIFY2(second.errorString().contains(
                     QString("net.ipv4.ip_local_reserved_ports=%1").arg(s.server->port())),
                 qPrintable(second.errorString()));
        qputenv("ZARVO_PUNCH_PORT", "0");
    }

    void acceptBoxThenCraOnlyWhenDismissed()
    {
        BoxRecorder boxes;
        Server s;
        s.addEmployees(1, 2);
        auto t = connectTerminal(s);
        QTRY_COMPARE(boxes.pending.size(), 1);
        QCOMPARE(boxes.pending[0].box.text, QString("Connected with 127.0.0.1"));
        QCOMPARE(boxes.pending[0].box.title, QString("Client Accepted"));
        QCOMPARE(boxes.pending[0].box.icon, BoxIcon::Information);
        QCOMPARE(s.server->lastSlot(), 1);

        // A punch before "CRA" is recorded and answered while the box is still open; the reply
        // is the first thing on the wire, so no "CRA" went out before it.
        t->write("E1");
        QCOMPARE(readAtLeast(*t, 15), QByteArray("RINFirst1 Last1"));
        QCOMPARE(s.filledSlots("E1"), 1);

        boxes.dismiss(0);
        QCOMPARE(readAtLeast(*t, 3), QByteArray("CRA"));
    }

    void exchanges_data()
    {
        QTest::addColumn<QString>("storedId");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<int>("slotsBefore");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("slotsAfter");

        QTest::newRow("first punch signs in") << "E1" << "John" << "Smith" << 0 << QByteArray("E1")
                                              << QByteArray("RINJohn Smith") << 1;
        QTest::newRow("second punch signs out") << "E1" << "John" << "Smith" << 1 << QByteArray("E1")
                                                << QByteArray("OUTJohn Smith") << 2;
        QTest::newRow("fifth punch signs in") << "E1" << "John" << "Smith" << 4 << QByteArray("E1")
                                              << QByteArray("RINJohn Smith") << 5;
        QTest::newRow("full day: silence") << "E1" << "John" << "Smith" << 6 << QByteArray("E1")
                                           << QByteArray() << 6;
        QTest::newRow("unknown id: NRF") << "E1" << "John" << "Smith" << 0 << QByteArray("E2")
                                         << QByteArray("NRF") << 0;
        QTest::newRow("case differs: silence") << "AB7" << "Ann" << "Lee" << 0 << QByteArray("ab7")
                                               << QByteArray() << 0;
        QTest::newRow("trailing blank: NRF") << "E1" << "John" << "Smith" << 0 << QByteArray("E1 ")
                                             << QByteArray("NRF") << 0;
        QTest::newRow("null first name keeps blank") << "E1" << "" << "Smith" << 0 << QByteArray("E1")
                                                     << QByteArray("RIN Smith") << 1;
        QTest::newRow("windows-1252 name") << "E1" << QString::fromUtf8("José") << QString::fromUtf8("Müller")
                                           << 0 << QByteArray("E1") << QByteArray("RINJos\xe9 M\xfcller") << 1;
        QTest::newRow("windows-1252 id") << QString::fromUtf8("Ñ€5") << "Eve" << "Ng" << 0
                                         << QByteArray("\xd1\x80" "5") << QByteArray("RINEve Ng") << 1;
        QTest::newRow("quote in id") << "O'1" << "Pat" << "O'Hara" << 0 << QByteArray("O'1")
                                     << QByteArray("RINPat O'Hara") << 1;
        QTest::newRow("sql text in id") << "E1" << "John" << "Smith" << 0
                                        << QByteArray("' or '1'='1") << QByteArray("NRF") << 0;
        QTest::newRow("sql comment in id") << "E1" << "John" << "Smith" << 0
                                           << QByteArray("E1'; delete from Employee; --") << QByteArray("NRF") << 0;
    }

    void exchanges()
    {
        QFETCH(QString, storedId);
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(int, slotsBefore);
        QFETCH(QByteArray, sent);
        QFETCH(QByteArray, reply);
        QFETCH(int, slotsAfter);

        BoxRecorder boxes;
        boxes.autoDismissAsync = true;
        Server s;
        zarvo::test::addEmployee(s.db(), storedId, first, last);
        for (int i = 0; i < slotsBefore; ++i)
            zarvo::RecordPunch(s.db(), storedId);
        auto t = acceptedTerminal(s);

        QSignalSpy answered(s.server.get(), &PunchServer::punchesAnswered);
        t->write(sent);
        QVERIFY(answered.wait(5000));
        // Silence is proven by what comes next: a known-NRF probe's reply arrives alone.
        t->write("no such id");
        const QByteArray got = readAtLeast(*t, reply.size() + 3);
        QCOMPARE(got, reply + "NRF");
        QCOMPARE(s.filledSlots(storedId), slotsAfter);
        QCOMPARE(s.db().countRows("Employee"), 1);
    }

    void twoTerminalsWhileTheFirstBoxIsOpen()
    {
        BoxRecorder boxes;
        Server s;
        auto a = connectTerminal(s);
        QTRY_COMPARE(boxes.pending.size(), 1);
        auto b = connectTerminal(s);
        QTRY_COMPARE(boxes.pending.size(), 2);
        QCOMPARE(s.server->lastSlot(), 2);
        // The newest box is closed first: its terminal gets "CRA" first, the other none yet.
        boxes.dismiss(1);
        QCOMPARE(readAtLeast(*b, 3), QByteArray("CRA"));
        QCOMPARE(a->bytesAvailable(), 0);
        boxes.dismiss(0);
        QCOMPARE(readAtLeast(*a, 3), QByteArray("CRA"));
    }

    void reconnectGetsANewSlotAndCloseIsSilent()
    {
        BoxRecorder boxes;
        boxes.autoDismissAsync = true;
        Server s;
        auto a = connectTerminal(s);
        QTRY_COMPARE(s.server->connectionCount(), 1);
        a->disconnectFromHost();
        QTRY_COMPARE(s.server->connectionCount(), 0);
        auto b = connectTerminal(s);
        QTRY_COMPARE(s.server->connectionCount(), 1);
        QCOMPARE(s.server->lastSlot(), 2);
        QCOMPARE(s.server->connectedTerminals().size(), 1);
        QCOMPARE(s.server->connectedTerminals()[0].first, 2);
        QCOMPARE(boxes.countTitled("Zarvo Punch Server"), 0);
        // Each connection of a terminal that does not introduce itself gets its box.
        QTRY_COMPARE(boxes.boxes.size(), 2);
    }

    void slotErrorShowsItsBoxAndClosesOnlyThatSlot()
    {
        BoxRecorder boxes;
        boxes.autoDismissAsync = true;
        Server s;
        s.addEmployees(1, 2);
        auto t = acceptedTerminal(s);
        const QString description = "Network is unreachable";
        const qsizetype before = boxes.boxes.size();
        // The platform reports a failure on the terminal's connection.
        s.server->slotError(1, int(QAbstractSocket::NetworkError), description);
        QCOMPARE(boxes.boxes.size(), before + 1);
        const zarvo::MessageBox &box = boxes.last();
        QCOMPARE(box.text, QString("Socket Error %1: %2").arg(int(QAbstractSocket::NetworkError)).arg(description));
        QCOMPARE(box.title, QString("Zarvo Punch Server"));
        QCOMPARE(box.icon, BoxIcon::None);
        QCOMPARE(box.buttons, zarvo::BoxButtons::Ok);
        QCOMPARE(s.server->connectionCount(), 0);
        QTRY_COMPARE(t->state(), QAbstractSocket::UnconnectedState);
        // The listener goes on: the next terminal gets the next slot and is answered.
        QVERIFY(s.server->isListening());
        auto next = connectTerminal(s);
        next->write("E1");
        QCOMPARE(readAtLeast(*next, 18), QByteArray("CRARINFirst1 Last1"));
        QCOMPARE(s.server->lastSlot(), 2);
    }

    void punchSentJustBeforeClosingIsRecorded()
    {
        BoxRecorder boxes;
        Server s;
        s.addEmployees(1, 2);
        auto t = connectTerminal(s);
        t->write("E1");
        t->flush();
        t->disconnectFromHost();
        QTRY_COMPARE(s.filledSlots("E1"), 1);
        QTRY_COMPARE(s.server->connectionCount(), 0);
    }

    void storeFailureTellsTheOperatorAndGivesNoReply_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("storeMessage");
        QTest::newRow("read-only store") << "query_only" << "attempt to write a readonly database";
        QTest::newRow("store closed") << "closed" << "The database is not open";
    }
    void storeFailureTellsTheOperatorAndGivesNoReply()
    {
        QFETCH(QString, fault);
        QFETCH(QString, storeMessage);
        BoxRecorder boxes;
        boxes.autoDismissAsync = true;
        Server s;
        s.addEmployees(1, 3);
        NotStoredIndicator indicator(s.server->notices());
        auto t = acceptedTerminal(s);
        boxes.autoDismissAsync = false;
        const auto breakStore = [&] {
            if (fault == "closed")
                s.db().close();
            else
                s.db().execScript("PRAGMA query_only = 1");
        };
        const auto mendStore = [&] {
            if (fault == "closed")
                s.db().open(s.store.path, Module1::databasePassword());
            else
                s.db().execScript("PRAGMA query_only = 0");
        };
        breakStore();
        QSignalSpy answered(s.server.get(), &PunchServer::punchesAnswered);
        t->write("E1");
        QVERIFY(answered.wait(5000));
        t->write("E2");
        QVERIFY(answered.wait(5000));

        // One notice for the one kind of failure, naming it, the first employee and the time;
        // it does not wait, and both punches are counted.
        QCOMPARE(boxes.pending.size(), 1);
        const zarvo::MessageBox &notice = boxes.pending[0].box;
        QCOMPARE(notice.title, QString("Punch Not Stored"));
        QCOMPARE(notice.icon, BoxIcon::Exclamation);
        QVERIFY2(notice.text.contains(storeMessage), qPrintable(notice.text));
        QVERIFY2(notice.text.contains("Employee ID: E1"), qPrintable(notice.text));
        QVERIFY2(notice.text.contains("Time: 12/09/2026 08:30:15"), qPrintable(notice.text));
        QCOMPARE(s.server->notices()->notStoredCount(), 2);
        QVERIFY(!indicator.isHidden());
        QCOMPARE(indicator.text(), QString("2 punches not stored"));

        // Space is back: the next punch is stored and answered; nothing false was acknowledged.
        mendStore();
        t->write("E1");
        QCOMPARE(readAtLeast(*t, 15), QByteArray("RINFirst1 Last1"));
        QCOMPARE(s.filledSlots("E1"), 1);
        QCOMPARE(s.filledSlots("E2"), 0);
        boxes.dismiss(0);
        indicator.click();
        QCOMPARE(s.server->notices()->notStoredCount(), 0);
        QVERIFY(indicator.isHidden());

        // After the notice was dismissed, the same failure is told again.
        breakStore();
        t->write("E2");
        QVERIFY(answered.wait(5000));
        QCOMPARE(boxes.pending.size(), 2);
        QVERIFY(boxes.pending[1].box.text.contains("Employee ID: E2"));
        mendStore();
    }

    void acceptFailureOutOfDescriptorsRecovers()
    {
        BoxRecorder boxes;
        boxes.autoDismissAsync = true;
        Server s;
        s.addEmployees(1, 2);
        rlimit saved{};
        getrlimit(RLIMIT_NOFILE, &saved);
        // Connect first (the terminal's descriptor exists), then use up every descriptor so
        // the server's accept fails; it must take accepting up again once they are free.
        auto t = std::make_unique<QTcpSocket>();
        t->connectToHost(QHostAddress::LocalHost, s.server->port());
        QVERIFY(t->waitForConnected(5000));
        QList<int> filler;
        for (int fd; (fd = ::dup(0)) >= 0;)
            filler.append(fd);
        QTRY_VERIFY(boxes.countTitled("Zarvo Punch Server") >= 1);
        for (int fd : filler)
            ::close(fd);
        const zarvo::MessageBox &error = boxes.boxes[boxes.boxes.size() - 1];
        QVERIFY(error.text.startsWith("Socket Error "));
        QCOMPARE(error.icon, BoxIcon::None);
        QCOMPARE(readAtLeast(*t, 3), QByteArray("CRA"));
        t->write("E1");
        QCOMPARE(readAtLeast(*t, 15), QByteArray("RINFirst1 Last1"));
        QVERIFY(s.server->isListening());
    }
};

QTEST_MAIN(TestPunchServer)
#include "tst_punchserver.moc"
