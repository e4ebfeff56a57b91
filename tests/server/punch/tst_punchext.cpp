// The punch server speaking the protocol extension: terminals known by their id, replayed
// punches acknowledged after they are stored, glued and split frames, bad frames closing only
// their connection; a seed-style terminal beside them gets exactly the seed's bytes.
#include "heldtable.h"
#include "protocolext.h"
#include "tst_punchserver_support.h"

using namespace punchtest;
using zarvo::test::BoxRecorder;
namespace Ext = zarvo::ProtocolExt;

namespace {
const QDateTime kNow(QDate(2026, 12, 9), QTime(18, 0));
const QString kIdA(32, 'a'), kIdB(32, 'b');

/// A terminal speaking the extension over a raw socket.
struct ExtTerminal {
    std::unique_ptr<QTcpSocket> socket;
    Ext::StreamReader reader;
    QList<Ext::Piece> got;

    explicit ExtTerminal(const Server &s) : socket(connectTerminal(s)) {}
    void hello(const QString &id, qint64 clockMs = Ext::toMs(kNow))
    {
        socket->write(Ext::helloFrame({"1", id, "desk-7", clockMs, 0}));
    }
    /// Reads until `count` pieces have come (or 5 s pass) and returns them as text.
    QStringList waitPieces(int count)
    {
        QElapsedTimer t;
        t.start();
        while (got.size() < count && t.elapsed() < 5000) {
            got += reader.feed(socket->readAll());
            if (got.size() < count)
                QTest::qWait(1);
        }
        QStringList out;
        for (const Ext::Piece &p : got)
            out << (p.kind == Ext::Piece::Seed ? "S:" + QString::fromLatin1(p.seed) : "F:" + p.fields.join('|'));
        return out;
    }
};

QByteArray replay(qint64 seq, const QString &id, QTime typed, qint64 offsetMs)
{
    return Ext::punchFrame({seq, id, Ext::toMs(QDateTime(kNow.date(), typed)) - offsetMs, offsetMs});
}
} // namespace

class TestPunchExt : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { raiseDescriptorLimit(); }
    void init() { zarvo::Clock::setFixed(kNow); }
    void cleanup() { zarvo::Clock::clearFixed(); }

    void terminalKnownByItsIdSkipsTheBoxWhenItComesBack()
    {
        BoxRecorder boxes;
        Server s;
        {
            ExtTerminal a(s);
            a.hello(kIdA, Ext::toMs(kNow) - 90'000); // its clock is 90 s slow
            QCOMPARE(a.waitPieces(1), QStringList{"F:WELCOME|1|" + QString::number(Ext::toMs(kNow))});
            QTRY_COMPARE(boxes.pending.size(), 1);
            QCOMPARE(boxes.pending[0].box.text, QString("Connected with 127.0.0.1"));
            // The Terminals window knows it by what it said.
            const auto known = s.server->terminalRegistry()->terminals(kNow);
            QCOMPARE(known.size(), 1);
            QCOMPARE(known[0].key, "id:" + kIdA);
            QCOMPARE(known[0].name, QString("desk-7"));
            QCOMPARE(known[0].clockOffsetMs.value_or(0), -90'000);
            boxes.dismiss(0);
            QCOMPARE(a.waitPieces(2).last(), QString("S:CRA"));
        }
        QTRY_COMPARE(s.server->connectionCount(), 0);
        // The same terminal again: "CRA" at once, no box.
        ExtTerminal again(s);
        again.hello(kIdA.toUpper());
        const QStringList got = again.waitPieces(2);
        QCOMPARE(got.size(), 2);
        QVERIFY(got[0].startsWith("F:WELCOME|1|"));
        QCOMPARE(got[1], QString("S:CRA"));
        // A seed-style terminal connecting after it gets its box once its grace is over, which
        // is after the known terminal's grace: that one had none.
        auto seed = connectTerminal(s);
        QTRY_COMPARE(boxes.pending.size(), 2);
        QCOMPARE(boxes.boxes.size(), 2);
        // Another terminal is a stranger: its own box, at once.
        ExtTerminal b(s);
        b.hello(kIdB);
        QTRY_COMPARE(boxes.pending.size(), 3);
        QCOMPARE(s.server->knownTerminalCount(), 2);
        // Its reports reach the Terminals window.
        b.socket->write(Ext::statusFrame({3, Ext::toMs(kNow)}));
        const auto waitingOfB = [&] {
            for (const auto &t : s.server->terminalRegistry()->terminals(kNow))
                if (t.key == "id:" + kIdB)
                    return t.waiting;
            return -2;
        };
        QTRY_COMPARE(waitingOfB(), 3);
    }

    void seedTerminalBesideThemGetsExactlyTheSeedBytes()
    {
        BoxRecorder boxes;
        boxes.autoDismissAsync = true;
        Server s;
        s.addEmployees(1, 3);
        ExtTerminal ext(s);
        ext.hello(kIdA);
        ext.socket->write(replay(1, "E2", QTime(8, 0), 0));
        auto seed = connectTerminal(s);
        // An ID typed at once gets its box at once, before its reply, as the seed shows it.
        seed->write("E1");
        QByteArray bytes = readAtLeast(*seed, 18);
        QCOMPARE(boxes.countTitled("Client Accepted"), 2);
        seed->write("E1");
        bytes += readAtLeast(*seed, 15);
        seed->write("nobody");
        bytes += readAtLeast(*seed, 3);
        // Silence is proven by what follows: a letter-case miss, then a known NRF alone.
        QSignalSpy answered(s.server.get(), &PunchServer::punchesAnswered);
        seed->write("e1");
        QVERIFY(answered.wait(5000));
        seed->write("nobody");
        bytes += readAtLeast(*seed, 3);
        QCOMPARE(bytes, QByteArray("CRARINFirst1 Last1OUTFirst1 Last1NRFNRF"));
        QVERIFY(ext.waitPieces(3).contains("F:ACK|1|RIN|First2 Last2"));
    }

    void replaysAreStoredAtTheirTypedTimesGluedOrSplit_data()
    {
        QTest::addColumn<int>("chunk"); // bytes per write; 0 = all in one
        QTest::newRow("glued in one write") << 0;
        QTest::newRow("split in single bytes") << 1;
        QTest::newRow("split in 7-byte pieces") << 7;
    }
    void replaysAreStoredAtTheirTypedTimesGluedOrSplit()
    {
        QFETCH(int, chunk);
        BoxRecorder boxes;
        boxes.autoDismissAsync = true;
        Server s;
        s.addEmployees(1, 2);
        ExtTerminal t(s);
        // The terminal's clock is an hour slow: the server corrects every typed time.
        const qint64 offset = 3'600'000;
        QByteArray stream = Ext::helloFrame({"1", kIdA, "desk-7", Ext::toMs(kNow) - offset, 5});
        stream += replay(1, "E1", QTime(8, 0), offset) + replay(2, "E1", QTime(12, 0), offset)
            + replay(3, "E1", QTime(12, 0, 1), offset) + replay(4, "E1", QTime(7, 0), offset)
            + replay(5, "E9", QTime(9, 0), offset) + "E1";
        for (qsizetype i = 0; i < stream.size(); i += chunk ? chunk : stream.size()) {
            t.socket->write(stream.mid(i, chunk ? chunk : stream.size()));
            t.socket->flush();
            if (chunk)
                QTest::qWait(0);
        }
        const QStringList got = t.waitPieces(8);
        QCOMPARE(got.filter("F:ACK"), (QStringList{"F:ACK|1|RIN|First1 Last1", "F:ACK|2|OUT|First1 Last1",
                                                   "F:ACK|3|DUP|First1 Last1", "F:ACK|4|HELD|First1 Last1",
                                                   "F:ACK|5|NRF|"}));
        QVERIFY(got.contains("S:CRA"));
        QVERIFY(got.contains("S:RINFirst1 Last1")); // the live punch after them, at the server's time
        zarvo::RecordSet rs;
        rs.open(s.db(), "Select * from timesheet where emp_id = ?", {QString("E1")});
        QCOMPARE(rs.recordCount(), 1);
        QCOMPARE(rs.value("in1").toTime(), QTime(8, 0));
        QCOMPARE(rs.value("out1").toTime(), QTime(12, 0));
        QCOMPARE(rs.value("in2").toTime(), QTime(18, 0));
        QCOMPARE(heldPunches(s.db()), QStringList{"E1 12/09/2026 07:00:00 out of order"});
        QCOMPARE(boxes.countTitled("Punch Set Aside"), 1);
        QVERIFY(boxes.boxes.last().text.contains("desk-7 (127.0.0.1)"));
        QCOMPARE(s.server->badMessageConnections(), 0);
    }

    void terminalsComingBackTogetherAreAllAnswered()
    {
        // More replays at once than one commit takes: the rest follow in the next turns.
        BoxRecorder boxes;
        boxes.autoDismissAsync = true;
        Server s;
        s.addEmployees(0, 120);
        std::vector<std::unique_ptr<ExtTerminal>> ts;
        for (int t = 0; t < 3; ++t) {
            ts.push_back(std::make_unique<ExtTerminal>(s));
            QByteArray all = Ext::helloFrame({"1", QString(31, 'c') + QString::number(t), "desk", Ext::toMs(kNow), 40});
            for (int k = 0; k < 40; ++k)
                all += replay(k + 1, QStringLiteral("E%1").arg(t * 40 + k), QTime(8, 0).addSecs(k), 0);
            ts.back()->socket->write(all);
        }
        QVERIFY(40 > PunchServer::MaxReplaysPerBatch);
        for (auto &t : ts)
            QCOMPARE(t->waitPieces(42).filter(QRegularExpression("^F:ACK\\|\\d+\\|RIN\\|")).size(), 40);
        QCOMPARE(s.db().countRows("timesheet"), 120);
    }

    void badMessagesCloseOnlyThatConnection_data()
    {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QByteArray>("reply"); // what it gets before the close (after "CRA")
        const QByteArray hello = Ext::helloFrame({"1", kIdA, "h", 1, 0});
        QTest::newRow("oversized frame") << "\x02" + QByteArray(5000, 'x') << QByteArray();
        QTest::newRow("punch before hello") << replay(1, "E1", QTime(8, 0), 0) << QByteArray();
        QTest::newRow("bad number") << hello + Ext::frame({"PUNCH", "x", "E1", "1", "0"}) << QByteArray();
        QTest::newRow("field missing") << hello + Ext::frame({"PUNCH", "1", "E1", "1"}) << QByteArray();
        QTest::newRow("unknown type") << hello + Ext::frame({"DELETE", "E1"}) << QByteArray();
        QTest::newRow("a second hello") << hello + hello << QByteArray();
        QTest::newRow("control byte inside") << hello + "\x02PUNCH\x1f" "1\x1f" "E\n1\x03" << QByteArray();
        QTest::newRow("seed punch before a bad frame is kept") << QByteArray("E1\x02\x03") << QByteArray("RINFirst1 Last1");
    }
    void badMessagesCloseOnlyThatConnection()
    {
        QFETCH(QByteArray, sent);
        QFETCH(QByteArray, reply);
        BoxRecorder boxes;
        boxes.autoDismissAsync = true;
        Server s;
        s.addEmployees(1, 2);
        auto good = connectTerminal(s);
        auto bad = connectTerminal(s);
        QTRY_COMPARE(s.server->connectionCount(), 2);
        bad->write(sent);
        QTRY_COMPARE(bad->state(), QAbstractSocket::UnconnectedState);
        QVERIFY(bad->readAll().endsWith(reply));
        QCOMPARE(s.server->connectionCount(), 1);
        QCOMPARE(s.server->badMessageConnections(), 1);
        QCOMPARE(s.db().countRows("timesheet"), reply.isEmpty() ? 0 : 1);
        QCOMPARE(s.db().countRows("held_punch"), 0);
        QCOMPARE(boxes.countTitled("Connections Turned Away"), 1);
        for (const auto &box : boxes.boxes)
            if (box.title == "Connections Turned Away")
                QVERIFY2(box.text.startsWith("A connection from 127.0.0.1 sent "), qPrintable(box.text));
        good->write("E1");
        QVERIFY(readAtLeast(*good, 18).endsWith(reply.isEmpty() ? "RINFirst1 Last1" : "OUTFirst1 Last1"));
    }
};

QTEST_MAIN(TestPunchExt)
#include "tst_punchext.moc"
