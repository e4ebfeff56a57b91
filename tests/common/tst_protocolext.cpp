// The protocol extension's codec: streams split into seed text and frames however the network
// cuts and glues them, and every message checked field by field.
#include "protocolext.h"
#include <QTest>

using namespace zarvo;
namespace Ext = zarvo::ProtocolExt;

namespace {
/// Pieces written compactly: "S:text" for seed text, "F:a|b|c" for a frame's fields.
QStringList describe(const QList<Ext::Piece> &pieces)
{
    QStringList out;
    for (const Ext::Piece &p : pieces)
        out << (p.kind == Ext::Piece::Seed ? "S:" + QString::fromLatin1(p.seed) : "F:" + p.fields.join('|'));
    return out;
}
const QByteArray STX("\x02"), ETX("\x03"), US("\x1f");
QByteArray fr(const QByteArray &inner) { return STX + inner + ETX; }
} // namespace

class TestProtocolExt : public QObject {
    Q_OBJECT
private slots:
    void reader_data()
    {
        QTest::addColumn<QByteArrayList>("reads");
        QTest::addColumn<QStringList>("pieces");
        QTest::addColumn<bool>("bad");
        const QByteArray welcome = fr("WELCOME" + US + "1" + US + "1765000000000");
        QTest::newRow("seed text alone") << QByteArrayList{"E1"} << QStringList{"S:E1"} << false;
        QTest::newRow("seed reads stay apart") << QByteArrayList{"RINJo", "hn"} << QStringList{"S:RINJo", "S:hn"} << false;
        QTest::newRow("one frame") << QByteArrayList{welcome} << QStringList{"F:WELCOME|1|1765000000000"} << false;
        QTest::newRow("frame split in three")
            << QByteArrayList{welcome.left(4), welcome.mid(4, 6), welcome.mid(10)}
            << QStringList{"F:WELCOME|1|1765000000000"} << false;
        QTest::newRow("split on the separator") << QByteArrayList{STX + "ACK" + US, "7" + US + "RIN" + US + "Ann" + ETX}
                                                << QStringList{"F:ACK|7|RIN|Ann"} << false;
        QTest::newRow("split before the end") << QByteArrayList{STX + "HOURS" + US + "1.00" + US + "2.50", ETX}
                                              << QStringList{"F:HOURS|1.00|2.50"} << false;
        QTest::newRow("frames glued") << QByteArrayList{fr("A") + fr("B" + US + "c")} << QStringList{"F:A", "F:B|c"} << false;
        QTest::newRow("seed, frame, seed glued") << QByteArrayList{"CRA" + welcome + "RINAnn Lee"}
                                                 << QStringList{"S:CRA", "F:WELCOME|1|1765000000000", "S:RINAnn Lee"}
                                                 << false;
        QTest::newRow("seed glued behind a split frame") << QByteArrayList{STX + "AC", "K" + ETX + "NRF"}
                                                         << QStringList{"F:ACK", "S:NRF"} << false;
        QTest::newRow("empty frame") << QByteArrayList{fr("")} << QStringList{"F:"} << false;
        QTest::newRow("empty fields") << QByteArrayList{fr(US + US)} << QStringList{"F:||"} << false;
        QTest::newRow("end marker outside a frame is seed text") << QByteArrayList{"E" + ETX + "1"}
                                                                 << QStringList{"S:E\x03" "1"} << false;
        QTest::newRow("high bytes decoded") << QByteArrayList{fr("ACK" + US + "1" + US + "RIN" + US + "Jos\xe9")}
                                            << QStringList{QString::fromUtf8("F:ACK|1|RIN|José")} << false;
        QTest::newRow("largest frame") << QByteArrayList{fr(QByteArray(Ext::MaxFrameBytes - 2, 'x'))}
                                       << QStringList{"F:" + QString(Ext::MaxFrameBytes - 2, 'x')} << false;
        QTest::newRow("one byte too long") << QByteArrayList{"E1" + fr(QByteArray(Ext::MaxFrameBytes - 1, 'x'))}
                                           << QStringList{"S:E1"} << true;
        QTest::newRow("too long over several reads, no end")
            << QByteArrayList{STX + QByteArray(600, 'x'), QByteArray(600, 'x'), "tail" + ETX + "E1"} << QStringList{}
            << true;
        QTest::newRow("control byte inside") << QByteArrayList{fr("A") + STX + "HEL\nLO" + ETX + "E1"}
                                             << QStringList{"F:A"} << true;
        QTest::newRow("start inside a frame") << QByteArrayList{STX + "AB" + STX + "C" + ETX} << QStringList{} << true;
        QTest::newRow("nothing after bad") << QByteArrayList{STX + "A\x01", fr("B"), "E1"} << QStringList{} << true;
    }
    void reader()
    {
        QFETCH(QByteArrayList, reads);
        QFETCH(QStringList, pieces);
        QFETCH(bool, bad);
        Ext::StreamReader r;
        QList<Ext::Piece> got;
        for (const QByteArray &chunk : reads)
            got += r.feed(chunk);
        QCOMPARE(describe(got), pieces);
        QCOMPARE(r.bad(), bad);
        QCOMPARE(r.error().isEmpty(), !bad);
    }

    void everyCutOfAStreamGivesTheSamePieces()
    {
        const QByteArray stream = "CRA" + Ext::welcomeFrame({"1", 42}) + "RINAnn Lee" + Ext::hoursFrame({"3.75", "31.50"})
            + Ext::ackFrame({9, "DUP", QString::fromUtf8("Zoë")});
        for (qsizetype cut = 1; cut < stream.size(); ++cut) {
            Ext::StreamReader r;
            QList<Ext::Piece> pieces = r.feed(stream.left(cut));
            pieces += r.feed(stream.mid(cut));
            const QStringList frames = describe(pieces).filter(QRegularExpression("^F:"));
            QCOMPARE(frames, (QStringList{"F:WELCOME|1|42", "F:HOURS|3.75|31.50", QString::fromUtf8("F:ACK|9|DUP|Zoë")}));
            QVERIFY(!r.bad());
        }
    }

    void framesAreWrittenSafe()
    {
        // A control character in a field can never end the frame early.
        QCOMPARE(Ext::frame({"ACK", "1", "RIN", "Ann\x03\nLee"}), fr("ACK" + US + "1" + US + "RIN" + US + "Ann  Lee"));
        QCOMPARE(Ext::frame({"X", QString(Ext::MaxFrameBytes - 4, 'x')}).size(), Ext::MaxFrameBytes);
        QVERIFY(Ext::frame({"X", QString(Ext::MaxFrameBytes - 3, 'x')}).isEmpty());
    }

    void onlyWellFormedMessagesParse_data()
    {
        QTest::addColumn<QString>("fields"); // separated by '|'
        QTest::addColumn<bool>("valid");
        const QString id = "0123456789abcdef0123456789ABCDEF";
        QTest::newRow("hello") << "HELLO|1|" + id + "|desk-3|1765000000000|3" << true;
        QTest::newRow("hello, empty host name") << "HELLO|1|" + id + "||0|0" << true;
        QTest::newRow("hello, short id") << "HELLO|1|" + id.left(31) + "|h|1|0" << false;
        QTest::newRow("hello, id not hex") << "HELLO|1|" + id.left(31) + "g|h|1|0" << false;
        QTest::newRow("hello, negative count") << "HELLO|1|" + id + "|h|1|-1" << false;
        QTest::newRow("hello, clock with blank") << "HELLO|1|" + id + "|h| 1|0" << false;
        QTest::newRow("hello, field missing") << "HELLO|1|" + id + "|h|1" << false;
        QTest::newRow("hello, version word") << "HELLO|one|" + id + "|h|1|0" << false;
        QTest::newRow("punch") << "PUNCH|12|E7|1765000000000|-3500" << true;
        QTest::newRow("punch, id with blanks kept") << "PUNCH|12| E 7 |1765000000000|0" << true;
        QTest::newRow("punch, seq 0") << "PUNCH|0|E7|1765000000000|0" << false;
        QTest::newRow("punch, empty id") << "PUNCH|1||1765000000000|0" << false;
        QTest::newRow("punch, id too long") << "PUNCH|1|" + QString(256, 'E') + "|1765000000000|0" << false;
        QTest::newRow("punch, time huge") << "PUNCH|1|E7|99999999999999999|0" << false;
        QTest::newRow("punch, time fraction") << "PUNCH|1|E7|1765000000000.5|0" << false;
        QTest::newRow("punch, extra field") << "PUNCH|1|E7|1765000000000|0|x" << false;
        QTest::newRow("status") << "STATUS|0|1765000000000" << true;
        QTest::newRow("status, letters") << "STATUS|x|1765000000000" << false;
        QTest::newRow("welcome") << "WELCOME|1|1765000000000" << true;
        QTest::newRow("welcome, no clock") << "WELCOME|1|" << false;
        QTest::newRow("ack") << "ACK|4|HELD|Ann Lee" << true;
        QTest::newRow("ack, unknown result") << "ACK|4|MAYBE|Ann Lee" << false;
        QTest::newRow("ack, result case") << "ACK|4|rin|Ann Lee" << false;
        QTest::newRow("hours") << "HOURS|3.75|31.50" << true;
        QTest::newRow("hours, one decimal") << "HOURS|3.7|31.50" << false;
        QTest::newRow("unknown type") << "HELO|1" << false;
        QTest::newRow("type case") << "hello|1|" + id + "|h|1|0" << false;
    }
    void onlyWellFormedMessagesParse()
    {
        QFETCH(QString, fields);
        QFETCH(bool, valid);
        const QStringList f = fields.split('|');
        const bool parsed = Ext::parseHello(f) || Ext::parsePunch(f) || Ext::parseStatus(f) || Ext::parseWelcome(f)
            || Ext::parseAck(f) || Ext::parseHours(f);
        QCOMPARE(parsed, valid);
    }
};

QTEST_GUILESS_MAIN(TestProtocolExt)
#include "tst_protocolext.moc"
