// Stress against the punch server (CTest label "stress"): thousands of idle connections, a burst
// of terminals punching at once and an endless stream. The server keeps serving throughout.
#include "tst_punchserver_support.h"
#include <QFile>
#include <vector>

using namespace punchtest;
using zarvo::test::BoxRecorder;

namespace {
const QDateTime kNow(QDate(2026, 12, 9), QTime(8, 30, 15));

/// Resident memory of this process in KiB.
long residentKiB()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> parts = f.readAll().split(' ');
    return parts.size() > 1 ? parts[1].toLong() * (sysconf(_SC_PAGESIZE) / 1024) : 0;
}
} // namespace

class TestPunchServerStress : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { raiseDescriptorLimit(); }
    void init() { zarvo::Clock::setFixed(kNow); }
    void cleanup() { zarvo::Clock::clearFixed(); }

    void fiveThousandIdleConnections()
    {
        BoxRecorder boxes;
        Server s;
        s.addEmployees(1, 2);
        std::vector<std::unique_ptr<QTcpSocket>> idle;
        for (int i = 0; i < 5000; ++i) {
            idle.push_back(std::make_unique<QTcpSocket>());
            idle.back()->connectToHost(QHostAddress::LocalHost, s.server->port());
        }
        QTRY_COMPARE_WITH_TIMEOUT(s.server->connectionCount(), 5000, 30000);
        // The operator is not buried under 5000 boxes; the rest wait for theirs.
        // (Each box comes once its terminal had a moment to introduce itself.)
        QTRY_COMPARE(boxes.pending.size(), PunchServer::MaxAcceptBoxes);
        auto t = connectTerminal(s);
        t->write("E1");
        QCOMPARE(readAtLeast(*t, 15), QByteArray("RINFirst1 Last1"));
        // Dismissing a box hands the next waiting terminal a box of its own.
        boxes.dismiss(0);
        QCOMPARE(boxes.pending.size(), PunchServer::MaxAcceptBoxes + 1);
        idle.clear();
        QTRY_COMPARE_WITH_TIMEOUT(s.server->connectionCount(), 1, 30000);
        QCOMPARE(s.server->lastSlot(), 5001);
    }

    void burstOfFiveHundredTerminals()
    {
        BoxRecorder boxes;
        boxes.autoDismissAsync = true;
        Server s;
        s.addEmployees(0, 500);
        std::vector<std::unique_ptr<QTcpSocket>> terminals;
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < 500; ++i) {
            terminals.push_back(std::make_unique<QTcpSocket>());
            QTcpSocket *t = terminals.back().get();
            const QByteArray id = QByteArray("E") + QByteArray::number(i);
            QObject::connect(t, &QTcpSocket::connected, t, [t, id] { t->write(id); });
            t->connectToHost(QHostAddress::LocalHost, s.server->port());
        }
        for (int i = 0; i < 500; ++i) {
            const QByteArray expected = "CRARINFirst" + QByteArray::number(i) + " Last" + QByteArray::number(i);
            const QByteArray got = readAtLeast(*terminals[i], expected.size(), 10000);
            // "CRA" and the reply may come in either order.
            QVERIFY2(got.size() == expected.size() && got.contains("CRA") && got.contains(expected.mid(3)),
                     got.constData());
        }
        qInfo("500 terminals connected and punched in %lld ms", timer.elapsed());
        QCOMPARE(s.db().countRows("timesheet"), 500);
        for (int i = 0; i < 500; i += 37)
            QCOMPARE(s.filledSlots(QStringLiteral("E%1").arg(i)), 1);
        QCOMPARE(s.server->lastSlot(), 500);
    }
    void endlessStreamKeepsMemoryFlat()
    {
        BoxRecorder boxes;
        boxes.autoDismissAsync = true;
        Server s;
        auto t = connectTerminal(s);
        QTRY_COMPARE(s.server->connectionCount(), 1);
        const long before = residentKiB();
        const QByteArray chunk(64 * 1024, '7');
        // Up to 200 MB offered, as fast as the server takes it; it must cut the stream off.
        for (int i = 0; i < 3200 && t->state() == QAbstractSocket::ConnectedState; ++i) {
            t->write(chunk);
            while (t->bytesToWrite() > 1024 * 1024 && t->state() == QAbstractSocket::ConnectedState)
                QTest::qWait(1);
        }
        QTRY_COMPARE(s.server->connectionCount(), 0);
        QVERIFY2(residentKiB() - before < 32 * 1024, qPrintable(QString::number(residentKiB() - before)));
        probeAnswered(s);
    }

};

QTEST_MAIN(TestPunchServerStress)
#include "tst_punchserver_stress.moc"
