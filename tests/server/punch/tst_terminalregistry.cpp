// What the punch server keeps of each terminal for the operator: connections, punches, what
// terminals report of themselves, who went away today, and the limit that keeps it small.
#include "terminalregistry.h"
#include <QTest>

using zarvo::TerminalRegistry;

namespace {
QDateTime at(int minutes) { return QDateTime(QDate(2026, 12, 9), QTime(8, 0)).addSecs(minutes * 60); }
}

class TestTerminalRegistry : public QObject {
    Q_OBJECT
private slots:
    void seedTerminalsComePunchAndGo()
    {
        TerminalRegistry r;
        r.connected(1, "10.0.0.5", at(0));
        r.connected(2, "10.0.0.6", at(1));
        r.punched(1, at(2));
        r.punched(1, at(3));
        r.disconnected(2, at(4));
        QCOMPARE(r.connectedCount(), 1);
        QCOMPARE(r.awayCount(at(5)), 1);
        auto list = r.terminals(at(5));
        QCOMPARE(list.size(), 2);
        QCOMPARE(list[0].name, QString("10.0.0.5")); // first seen first
        QCOMPARE(list[0].connectedSince, at(0));
        QCOMPARE(list[0].lastPunch, at(3));
        QCOMPARE(list[0].punchesToday, 2);
        QCOMPARE(list[0].waiting, -1); // a seed terminal reports nothing
        QCOMPARE(list[1].connections, 0);
        QCOMPARE(list[1].lastSeen, at(4));
        r.connected(3, "10.0.0.6", at(6)); // back: connected since now
        QCOMPARE(r.terminals(at(6))[1].connectedSince, at(6));
        // Tomorrow: yesterday's punches no longer count; a terminal gone yesterday is dropped.
        r.disconnected(3, at(7));
        list = r.terminals(at(24 * 60));
        QCOMPARE(list.size(), 1);
        QCOMPARE(list[0].punchesToday, 0);
    }

    void aTerminalThatIntroducesItselfIsKnownByItsId()
    {
        TerminalRegistry r;
        r.connected(1, "10.0.0.7", at(0));
        r.introduced(1, "a1b2", "FRONTDESK", 5 * 60'000 + 3'000, 2, at(0));
        auto list = r.terminals(at(1));
        QCOMPARE(list.size(), 1); // its address is not a second terminal, gone away
        QCOMPARE(list[0].name, QString("FRONTDESK"));
        QCOMPARE(list[0].waiting, 2);
        QCOMPARE(TerminalRegistry::offsetText(*list[0].clockOffsetMs), QString("5 min 3 s ahead"));
        QCOMPARE(TerminalRegistry::offsetText(-3'723'000), QString("1 h 2 min behind"));
        r.reported(1, 0, -60'000, at(2)); // within a minute: not worth pointing out
        QCOMPARE(TerminalRegistry::offsetText(*r.terminals(at(2))[0].clockOffsetMs), QString());
        r.punched(1, at(3));
        // Gone, then back from another address: the same terminal, its punches kept.
        r.disconnected(1, at(4));
        r.connected(2, "10.0.0.99", at(5));
        r.introduced(2, "a1b2", "FRONTDESK", 0, 0, at(5));
        list = r.terminals(at(5));
        QCOMPARE(list.size(), 1);
        QCOMPARE(list[0].address, QString("10.0.0.99"));
        QCOMPARE(list[0].punchesToday, 1);
        QCOMPARE(r.awayCount(at(5)), 0);
    }

    void comingAndGoingAddressesStayBounded()
    {
        TerminalRegistry r;
        for (int i = 0; i < TerminalRegistry::MaxAway + 500; ++i) {
            r.connected(i, QStringLiteral("10.%1.%2.1").arg(i / 250).arg(i % 250), at(0).addSecs(i));
            r.disconnected(i, at(0).addSecs(i));
        }
        const auto list = r.terminals(at(600));
        QCOMPARE(list.size(), TerminalRegistry::MaxAway);
        QCOMPARE(list.first().name, QString("10.2.0.1")); // the longest gone were forgotten
    }
};

QTEST_GUILESS_MAIN(TestTerminalRegistry)
#include "tst_terminalregistry.moc"
