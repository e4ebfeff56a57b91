#include "protocol.h"
#include <QTest>

using namespace zarvo;

class TestProtocol : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ascii") << QString("RINAnn Lee") << QByteArray("RINAnn Lee");
        QTest::newRow("latin letters") << QString::fromUtf8("José Muñoz") << QByteArray("Jos\xe9 Mu\xf1oz");
        QTest::newRow("cp1252 range") << QString::fromUtf8("€ Œuvre “q”") << QByteArray("\x80 \x8cuvre \x93q\x94");
        QTest::newRow("nul kept") << QString(QChar(0)) + "x" << QByteArray("\0x", 2);
    }
    void roundTrip()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(Protocol::encode(text), bytes);
        QCOMPARE(Protocol::decode(bytes), text);
    }
    void everyByteSurvivesDecodeEncode()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QString text = Protocol::decode(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(Protocol::encode(text), all);
    }
    void unencodableBecomesQuestionMark()
    {
        QCOMPARE(Protocol::encode(QString::fromUtf8("a\u4e2db")), QByteArray("a?b"));
    }
};

QTEST_GUILESS_MAIN(TestProtocol)
#include "tst_protocol.moc"
