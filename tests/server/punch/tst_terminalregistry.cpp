// What the punch server keeps of each terminal for the operator: connections, punches, what
// terminals report of themselves, who went away today, and the limits that keep it small.
#include "terminalregistry.h"
#include <QTest>

using zarvo::TerminalRegistry;

namespace {
const QDateTime kMorning(QDate(2026, 12, 9), QTime(8, 0, 0));
QDateTime at(int minutes) { return kMorning.addSecs(minutes * 60); }

const TerminalRegistry::Terminal *find(const QList<TerminalRegistry::Terminal> &list, const QString &name)
{
    for (const auto &t : list)
        if (t.name == name)
            return &t;
    return nullptr;
}
} // namespace

class TestTerminalRegistry : public QObject {
    Q_OBJECT
private slots:
    void twoTerminalsOneGoesAway()
    {
        TerminalRegistry r;
        r.connected(1, "10.0.0.5", at(0));
        r.connected(2, "10.0.0.6", at(1));
        r.punched(1, at(2));
        r.punched(1, at(3));
        r.disconnected(2, at(4));
        QCOMPARE(r.connectedCount(), 1);
        QCOMPARE(r.awayCount(at(5)), 1);
        const auto list = r.terminals(at(5));
        QCOMPARE(list.size(), 2);
        QCOMPARE(list[0].name, QString("10.0.0.5")); // first seen first
        QCOMPARE(list[0].connections, 1);
        QCOMPARE(list[0].connectedSince, at(0));
        QCOMPARE(list[0].lastPunch, at(3));
        QCOMPARE(list[0].punchesToday, 2);
        QCOMPARE(list[0].waiting, -1); // a seed terminal reports nothing
        QVERIFY(!list[0].clockOffsetMs);
        QCOMPARE(list[1].connections, 0);
        QCOMPARE(list[1].lastSeen, at(4));
        // It comes back: connected again, since now.
        r.connected(3, "10.0.0.6", at(6));
        QCOMPARE(r.awayCount(at(6)), 0);
        QCOMPARE(r.terminals(at(6))[1].connectedSince, at(6));
        // Tomorrow: yesterday's punches no longer count; a terminal gone yesterday is dropped.
        r.disconnected(3, at(7));
        const QDateTime tomorrow = kMorning.addDays(1);
        QCOMPARE(r.terminals(tomorrow).size(), 1);
        QCOMPARE(r.terminals(tomorrow)[0].punchesToday, 0);
        QCOMPARE(r.awayCount(tomorrow), 0);
    }

    void aTerminalThatIntroducesItselfIsKnownByItsId()
    {
        TerminalRegistry r;
        const qint64 server = at(0).toMSecsSinceEpoch();
        r.connected(1, "10.0.0.7", at(0));
        r.introduced(1, "a1b2", "FRONTDESK", server + 5 * 60'000 + 3'000, 2, at(0));
        auto list = r.terminals(at(1));
        QCOMPARE(list.size(), 1); // the address it came from is not a second, departed terminal
        QCOMPARE(list[0].name, QString("FRONTDESK"));
        QCOMPARE(list[0].address, QString("10.0.0.7"));
        QCOMPARE(list[0].waiting, 2);
        QCOMPARE(*list[0].clockOffsetMs, 5 * 60'000 + 3'000);
        QCOMPARE(TerminalRegistry::offsetText(*list[0].clockOffsetMs), QString("5 min 3 s ahead"));
        r.reported(1, 0, at(2).toMSecsSinceEpoch() - 20'000, at(2));
        QCOMPARE(r.terminals(at(2))[0].waiting, 0);
        QCOMPARE(TerminalRegistry::offsetText(*r.terminals(at(2))[0].clockOffsetMs), QString());
        r.punched(1, at(3));
        // Gone, then back from another address on a new connection: the same terminal.
        r.disconnected(1, at(4));
        QCOMPARE(r.awayCount(at(4)), 1);
        r.connected(2, "10.0.0.99", at(5));
        r.introduced(2, "a1b2", "FRONTDESK", at(5).toMSecsSinceEpoch(), 0, at(5));
        list = r.terminals(at(5));
        QCOMPARE(list.size(), 1);
        QCOMPARE(list[0].address, QString("10.0.0.99"));
        QCOMPARE(list[0].punchesToday, 1);
        QCOMPARE(list[0].connectedSince, at(5));
        QCOMPARE(r.connectedCount(), 1);
        QCOMPARE(r.awayCount(at(5)), 0);
    }

    void offsetTexts_data()
    {
        QTest::addColumn<qint64>("offset");
        QTest::addColumn<QString>("text");
        QTest::newRow("within a minute") << qint64(60'000) << "";
        QTest::newRow("just behind") << qint64(-59'999) << "";
        QTest::newRow("over a minute") << qint64(61'000) << "1 min 1 s ahead";
        QTest::newRow("an hour behind") << qint64(-3'723'000) << "1 h 2 min behind";
    }
    void offsetTexts()
    {
        QFETCH(qint64, offset);
        QFETCH(QString, text);
        QCOMPARE(TerminalRegistry::offsetText(offset), text);
    }

    void comingAndGoingAddressesStayBounded()
    {
        TerminalRegistry r;
        const int n = TerminalRegistry::MaxAway + 500;
        for (int i = 0; i < n; ++i) {
            const QString address = QStringLiteral("10.%1.%2.1").arg(i / 250).arg(i % 250);
            r.connected(i + 1, address, at(0).addSecs(i));
            r.disconnected(i + 1, at(0).addSecs(i));
        }
        QCOMPARE(r.awayCount(at(600)), TerminalRegistry::MaxAway);
        const auto list = r.terminals(at(600));
        QCOMPARE(list.size(), TerminalRegistry::MaxAway);
        QVERIFY(!find(list, "10.0.0.1"));                // the longest gone were forgotten
        QVERIFY(find(list, QStringLiteral("10.%1.%2.1").arg((n - 1) / 250).arg((n - 1) % 250)));
        // A host name of any length is cut to a readable one.
        r.connected(9999, "10.9.9.9", at(601));
        r.introduced(9999, "x", QString(500, 'H'), 0, 0, at(601));
        QCOMPARE(r.terminals(at(601)).last().name.size(), TerminalRegistry::MaxNameLength);
    }
};

QTEST_GUILESS_MAIN(TestTerminalRegistry)
#include "tst_terminalregistry.moc"
