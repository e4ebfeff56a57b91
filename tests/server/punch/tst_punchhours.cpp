// The hours after a punch on the wire, and terminal health fed by what terminals say: a terminal
// that said HELLO gets its employee's HOURS in a frame after the seed reply; a seed-style
// terminal gets exactly the seed's bytes; HELLO and STATUS reach the Terminals window.
#include "consolewindow.h"
#include "protocolext.h"
#include "terminalhealth.h"
#include "terminals.h"
#include "tst_punchserver_support.h"
#include <QMdiArea>
#include <QTreeView>

using namespace punchtest;
using zarvo::test::BoxRecorder;
namespace Ext = zarvo::ProtocolExt;

namespace {
const QDateTime kNow(QDate(2026, 12, 2), QTime(17, 30)); // a Wednesday

/// Everything a raw terminal has received, split into seed text ("S:") and frames ("F:").
QStringList piecesUntil(QTcpSocket &socket, Ext::StreamReader &reader, QStringList &got, const QString &last)
{
    QElapsedTimer t;
    t.start();
    while ((got.isEmpty() || got.last() != last) && t.elapsed() < 5000) {
        for (const Ext::Piece &p : reader.feed(socket.readAll()))
            got << (p.kind == Ext::Piece::Seed ? "S:" + QString::fromLatin1(p.seed) : "F:" + p.fields.join('|'));
        QTest::qWait(1);
    }
    return got;
}

void addDay(zarvo::DatabaseSession &db, const QString &id, const QString &day, const QString &in, const QString &out)
{
    db.execScript(QStringLiteral("INSERT INTO timesheet (emp_id, rsdate, in1, out1) VALUES ('%1', '%2', '%3', '%4')")
                      .arg(id, day, in, out));
}
} // namespace

class TestPunchHours : public QObject {
    Q_OBJECT
private slots:
    void init() { zarvo::Clock::setFixed(kNow); }
    void cleanup() { zarvo::Clock::clearFixed(); }

    void hoursFollowTheSeedReplyOnlyForTerminalsThatSaidHello()
    {
        BoxRecorder boxes;
        boxes.autoDismissAsync = true;
        Server s;
        s.addEmployees(1, 3);
        // Monday 30 November and Tuesday 1 December: the week crosses the month's end.
        addDay(s.db(), "E1", "2026-11-30", "08:00:00", "16:30:00");
        addDay(s.db(), "E1", "2026-12-01", "08:00:00", "12:15:00");
        addDay(s.db(), "E1", "2026-11-29", "08:00:00", "18:00:00"); // the Sunday before: last week

        auto ext = connectTerminal(s);
        ext->write(Ext::helloFrame({"1", QString(32, 'c'), "desk-1", Ext::toMs(kNow), 0}));
        Ext::StreamReader reader;
        QStringList got;
        piecesUntil(*ext, reader, got, "S:CRA");
        ext->write("E1");
        piecesUntil(*ext, reader, got, "F:HOURS|0.00|12.75");
        QCOMPARE(got.mid(got.size() - 2), QStringList({"S:RINFirst1 Last1", "F:HOURS|0.00|12.75"}));
        // Signing out two hours later: the pair counts.
        zarvo::Clock::setFixed(kNow.addSecs(2 * 3600));
        ext->write("E1");
        piecesUntil(*ext, reader, got, "F:HOURS|2.00|14.75");
        QCOMPARE(got.mid(got.size() - 2), QStringList({"S:OUTFirst1 Last1", "F:HOURS|2.00|14.75"}));

        // A seed-style terminal beside it: exactly the seed's bytes, never a frame.
        auto seed = acceptedTerminal(s);
        QByteArray all;
        for (const char *id : {"E2", "E2", "NOBODY"}) {
            seed->write(id);
            all += readAtLeast(*seed, 3);
        }
        QCOMPARE(all, QByteArray("RINFirst2 Last2OUTFirst2 Last2NRF"));
    }

    void helloAndStatusReachTheHealthTable()
    {
        BoxRecorder boxes;
        boxes.autoDismissAsync = true;
        Server s;
        QMdiArea area(&s.console);
        MdiWindowHost host(&area, &s.console);
        setWindowHost(&host);
        s.console.resize(1024, 768);
        area.resize(1024, 768);
        s.console.show();
        s.addEmployees(1, 2);
        // One terminal whose clock is 4 minutes fast, with 2 punches waiting; one seed terminal.
        auto skewed = connectFrom(s, "127.0.0.5");
        skewed->write(Ext::helloFrame({"1", QString(32, 'd'), "WAREHOUSE", Ext::toMs(kNow) + 4 * 60'000, 2}));
        auto plain = connectFrom(s, "127.0.0.6");
        QTRY_COMPARE(s.server->terminalRegistry()->connectedCount(), 2);
        s.rebuildTerminalList();
        auto *w = findInsideConsole<Terminals>();
        QVERIFY(w);
        QAbstractItemModel *m = w->findChild<QTreeView *>("TerminalHealth")->model();
        using Col = TerminalHealthModel::Column;
        QTRY_COMPARE(m->index(0, Col::Name).data().toString(), QString("WAREHOUSE"));
        QCOMPARE(m->rowCount(), 2);
        QCOMPARE(m->index(0, Col::Name).data(Qt::ToolTipRole).toString(), QString("127.0.0.5"));
        QCOMPARE(m->index(0, Col::Waiting).data().toString(), QString("2"));
        QCOMPARE(m->index(0, Col::ClockOffset).data().toString(), QString("4 min 0 s ahead"));
        QCOMPARE(m->index(0, Col::ClockOffset).data(Qt::ForegroundRole).value<QColor>(), QColor(0xb0, 0, 0));
        QCOMPARE(m->index(1, Col::Name).data().toString(), QString("127.0.0.6"));
        // Its clock is set right and its waiting punches are sent: the next STATUS says so.
        skewed->write(Ext::statusFrame({0, Ext::toMs(kNow) + 5'000}));
        QTRY_COMPARE(m->index(0, Col::Waiting).data().toString(), QString("0"));
        QVERIFY(m->index(0, Col::ClockOffset).data().toString().isEmpty());
        // The seed terminal punches, then leaves: greyed, with when it was last seen.
        QCOMPARE(readAtLeast(*plain, 3), QByteArray("CRA"));
        plain->write("E1");
        QCOMPARE(readAtLeast(*plain, 3), QByteArray("RINFirst1 Last1"));
        QTRY_COMPARE(m->index(1, Col::PunchesToday).data().toString(), QString("1"));
        plain->disconnectFromHost();
        QTRY_VERIFY(m->index(1, Col::Connection).data().toString().startsWith("away, last seen "));
        QCOMPARE(m->index(1, Col::Name).data(Qt::ForegroundRole).value<QColor>(),
                 QPalette().color(QPalette::Disabled, QPalette::Text));
        setWindowHost(nullptr);
    }
};

QTEST_MAIN(TestPunchHours)
#include "tst_punchhours.moc"
