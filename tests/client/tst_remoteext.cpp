// The terminal window in its extended behaviour against stand-in servers on loopback: a server
// without the extension gets the seed's terminal, a punch whose answer is lost goes again as a
// replay, the status line fits, boxes come once, konek connects at once.
#include "boxrecorder.h"
#include "clientstore.h"
#include "clock.h"
#include "protocolext.h"
#include "remote.h"
#include "terminallink.h"
#include "testdb.h"
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using zarvo::test::BoxRecorder;
namespace Ext = zarvo::ProtocolExt;

namespace {
/// A stand-in server: what each connection sent, as seed text and frames, and a hook that
/// answers each piece.
struct StandIn {
    QTcpServer server;
    QList<QTcpSocket *> peers;
    QStringList heard; ///< "S:text" or "F:fields|..." in arrival order, all connections
    std::function<void(QTcpSocket *, const Ext::Piece &)> answer = [](QTcpSocket *, const Ext::Piece &) {};
    std::function<void(QTcpSocket *)> greet = [](QTcpSocket *) {};

    StandIn()
    {
        server.listen(QHostAddress::Any, 0);
        QObject::connect(&server, &QTcpServer::newConnection, &server, [this] {
            QTcpSocket *peer = server.nextPendingConnection();
            peers << peer;
            auto reader = std::make_shared<Ext::StreamReader>();
            QObject::connect(peer, &QTcpSocket::readyRead, peer, [this, peer, reader] {
                for (const Ext::Piece &p : reader->feed(peer->readAll())) {
                    heard << (p.kind == Ext::Piece::Seed ? "S:" + QString::fromLatin1(p.seed) : "F:" + p.fields.join('|'));
                    answer(peer, p);
                }
            });
            greet(peer);
        });
    }
    /// Answers HELLO with WELCOME, then "CRA", as the server does for a known terminal.
    static void welcome(QTcpSocket *peer, const Ext::Piece &p)
    {
        if (p.kind == Ext::Piece::Frame && p.fields.value(0) == "HELLO")
            peer->write(Ext::welcomeFrame({"1", Ext::toMs(zarvo::Clock::now())}) + "CRA");
    }
};

/// An upgraded client.mdb pointing at the stand-in, and the window over it.
struct Rig {
    QTemporaryDir dir;
    zarvo::DatabaseSession db;
    StandIn standIn;
    std::unique_ptr<Remote> window;

    Rig()
    {
        const QString path = dir.path() + "/client.mdb";
        zarvo::test::createClientDatabase(path);
        db.open(path);
        ClientLayout::upgrade(db, path);
        qputenv("ZARVO_PUNCH_PORT", QByteArray::number(standIn.server.serverPort()));
        window = std::make_unique<Remote>(db);
        window->show();
    }
    QString text(const char *name) const { return window->findChild<QLabel *>(name)->text(); }
    void type(const QString &id)
    {
        auto *box = window->findChild<QLineEdit *>("Text1");
        box->setText(id);
        QTest::keyClick(box, Qt::Key_Return);
    }
    int kept() { return int(db.countRows("pending_punch")); }
};
} // namespace

class TestRemoteExt : public QObject {
    Q_OBJECT
private slots:
    void serverWithoutTheExtensionGetsTheSeedTerminal()
    {
        BoxRecorder boxes;
        boxes.autoDismissAsync = true;
        Rig rig;
        // A server of the seed's kind takes the HELLO for an ID it does not know.
        rig.standIn.greet = [](QTcpSocket *peer) { peer->write("CRA"); };
        rig.standIn.answer = [](QTcpSocket *peer, const Ext::Piece &p) {
            if (p.kind == Ext::Piece::Frame)
                peer->write("NRF");
            else if (p.seed == "E1")
                peer->write("RINJohn Smith");
        };
        rig.window->open();
        QTRY_COMPARE(rig.window->link()->verdict(), TerminalLink::Verdict::SeedOnly);
        rig.type("E1");
        QTRY_COMPARE(rig.text("Label5"), QString("John Smith"));
        QCOMPARE(rig.standIn.heard.last(), QString("S:E1")); // the typed ID, nothing added
        QCOMPARE(boxes.countTitled("ID Not Found"), 0);      // its answer to the HELLO is nobody's
        QCOMPARE(boxes.countTitled("Remote Connected"), 1);
        QCOMPARE(rig.kept(), 0);
        // Gone: the seed's box, and nothing is kept.
        rig.standIn.peers.last()->disconnectFromHost();
        QTRY_VERIFY(rig.text("StatusLine").startsWith("Server not reachable"));
        rig.type("E1");
        QCOMPARE(boxes.last().text, QString("Unable to Reach Server! Please Make Sure They're Connected."));
        QCOMPARE(rig.window->findChild<QLineEdit *>("Text1")->text(), QString("E1"));
        QCOMPARE(rig.kept(), 0);
    }

    void aLivePunchWhoseAnswerIsLostGoesAgainAsAReplay_data()
    {
        QTest::addColumn<bool>("closeInstead"); // the connection dies, or the server is silent
        QTest::newRow("connection lost before the reply") << true;
        QTest::newRow("no reply at all") << false;
    }
    void aLivePunchWhoseAnswerIsLostGoesAgainAsAReplay()
    {
        QFETCH(bool, closeInstead);
        BoxRecorder boxes;
        boxes.autoDismissAsync = true;
        Rig rig;
        rig.standIn.answer = [closeInstead](QTcpSocket *peer, const Ext::Piece &p) {
            StandIn::welcome(peer, p);
            if (p.kind == Ext::Piece::Seed && closeInstead)
                peer->abort(); // stored, perhaps, but the terminal never hears
            if (p.kind == Ext::Piece::Frame && p.fields.value(0) == "PUNCH")
                peer->write(Ext::ackFrame({p.fields[1].toLongLong(), "DUP", "John Smith"}));
        };
        rig.window->open();
        QTRY_VERIFY(rig.text("StatusLine").startsWith("Connected to 127.0.0.1"));
        rig.type("E1");
        QCOMPARE(rig.kept(), 1); // on disk before it went out
        QTRY_VERIFY_WITH_TIMEOUT(rig.standIn.heard.filter(QRegularExpression("^F:PUNCH\\|1\\|E1\\|")).size() == 1, 15000);
        QTRY_COMPARE(rig.kept(), 0);
        QCOMPARE(rig.standIn.heard.filter("S:E1").size(), 1);
        QTRY_COMPARE(rig.text("StatusLine"), QString("Connected to 127.0.0.1"));
    }

    void boxesComeOnceAndKonekConnectsAtOnce()
    {
        BoxRecorder boxes;
        boxes.autoDismissAsync = true;
        Rig rig;
        rig.standIn.answer = StandIn::welcome;
        rig.window->open();
        QTRY_COMPARE(rig.standIn.peers.size(), 1);
        QTRY_COMPARE(boxes.countTitled("Remote Connected"), 1);
        // The server goes and comes back: no second "Remote Connected".
        rig.standIn.peers.last()->abort();
        QTRY_COMPARE_WITH_TIMEOUT(rig.standIn.peers.size(), 2, 10000);
        QTRY_COMPARE(rig.text("StatusLine"), QString("Connected to 127.0.0.1"));
        QCOMPARE(boxes.countTitled("Remote Connected"), 1);
        QCOMPARE(boxes.countTitled("Connection Error"), 0);
        // A new address is stored and used at once; the program goes on.
        QSignalSpy ended(rig.window.get(), &Remote::endProgram);
        boxes.inputs.push_back(QString("localhost"));
        rig.window->findChild<QPushButton *>("konek")->click();
        QTRY_COMPARE_WITH_TIMEOUT(rig.standIn.peers.size(), 3, 10000);
        QTRY_COMPARE(rig.text("StatusLine"), QString("Connected to localhost"));
        QCOMPARE(ended.size(), 0);
        QCOMPARE(boxes.countTitled("Closing Client"), 0);
        zarvo::RecordSet rs;
        rs.open(rig.db, "Select * from server");
        QCOMPARE(rs.text("ip"), QString("localhost"));
        // Unreachable: one box for the first failure, none for the retries.
        rig.standIn.server.close();
        rig.standIn.peers.last()->abort();
        QSignalSpy failed(rig.window->link(), &TerminalLink::failed);
        QTRY_VERIFY_WITH_TIMEOUT(failed.size() >= 3, 15000);
        QCOMPARE(boxes.countTitled("Connection Error"), 1);
    }

    void statusLineFitsTheWindowAsDrawn()
    {
        BoxRecorder boxes;
        boxes.autoDismissAsync = true;
        Rig rig;
        rig.standIn.server.close();
        rig.window->open();
        for (int i = 0; i < 3; ++i)
            rig.type(QString("E%1").arg(i));
        QTRY_COMPARE(rig.text("StatusLine"),
                     QString("Server not reachable \u2014 trying again in %1 s\n3 punches waiting to be sent")
                         .arg(rig.window->link()->secondsToRetry()));
        QCOMPARE(rig.text("Label5"), QString("E2"));
        QVERIFY(rig.text("Label6").startsWith("Saved at "));
        auto *line = rig.window->findChild<QLabel *>("StatusLine");
        QVERIFY(rig.window->rect().contains(line->geometry()));
        // The longest it can say fits in its box, wrapped.
        const QString longest = "Server not reachable \u2014 trying again in 30 s\n8888 punches waiting to be sent";
        const QRect need = line->fontMetrics().boundingRect(QRect(0, 0, line->contentsRect().width(), 1000),
                                                            Qt::TextWordWrap, longest);
        QVERIFY2(need.height() <= line->contentsRect().height(), qPrintable(QString::number(need.height())));
        // Nothing else of the window lies under it.
        for (QWidget *w : rig.window->findChildren<QWidget *>())
            if (w != line && w->parentWidget() == rig.window.get())
                QVERIFY2(!w->geometry().intersects(line->geometry()), qPrintable(w->objectName()));
    }
};

QTEST_MAIN(TestRemoteExt)
#include "tst_remoteext.moc"
