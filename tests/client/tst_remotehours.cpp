// The employee's hours at the terminal: the server's HOURS frame after a recorded punch shows
// under the result lines, fits the window, and goes after a while or with the next answer.
#include "boxrecorder.h"
#include "clientstore.h"
#include "clock.h"
#include "protocolext.h"
#include "punchstation.h"
#include "remote.h"
#include "terminallink.h"
#include "testdb.h"
#include <QLabel>
#include <QLineEdit>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using zarvo::test::BoxRecorder;
namespace Ext = zarvo::ProtocolExt;

class TestRemoteHours : public QObject {
    Q_OBJECT
private slots:
    void hoursShowUnderTheResultLinesThenGo()
    {
        BoxRecorder boxes;
        boxes.autoDismissAsync = true;
        // A stand-in server with the extension: WELCOME and "CRA" for the HELLO; "E1" signs in,
        // its reply followed by the hours in a send of their own; anything else is unknown.
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        connect(&server, &QTcpServer::newConnection, &server, [&server] {
            QTcpSocket *peer = server.nextPendingConnection();
            auto reader = std::make_shared<Ext::StreamReader>();
            connect(peer, &QTcpSocket::readyRead, peer, [peer, reader] {
                for (const Ext::Piece &p : reader->feed(peer->readAll())) {
                    if (p.kind == Ext::Piece::Frame && p.fields.value(0) == "HELLO") {
                        peer->write(Ext::welcomeFrame({"1", Ext::toMs(zarvo::Clock::now())}) + "CRA");
                    } else if (p.kind == Ext::Piece::Seed && p.seed == "E1") {
                        peer->write("RINMaria Gonzalez-Whitfield");
                        peer->flush();
                        peer->write(Ext::hoursFrame({"13.75", "131.50"}));
                    } else if (p.kind == Ext::Piece::Seed) {
                        peer->write("NRF");
                    }
                }
            });
        });
        QTemporaryDir dir;
        zarvo::DatabaseSession db;
        zarvo::test::createClientDatabase(dir.path() + "/client.mdb");
        db.open(dir.path() + "/client.mdb");
        ClientLayout::upgrade(db, dir.path() + "/client.mdb");
        qputenv("ZARVO_PUNCH_PORT", QByteArray::number(server.serverPort()));
        Remote window(db);
        window.show();
        window.open();
        QTRY_COMPARE(window.link()->state(), TerminalLink::State::Connected);
        auto *id = window.findChild<QLineEdit *>("Text1");
        auto *hours = window.findChild<QLabel *>("Label7");
        QVERIFY(hours && hours->text().isEmpty());

        id->setText("E1");
        QTest::keyClick(id, Qt::Key_Return);
        QTRY_COMPARE(hours->text(), QString("Today 13.75 h \u00B7 This week 131.50 h"));
        QCOMPARE(window.findChild<QLabel *>("Label5")->text(), QString("Maria Gonzalez-Whitfield"));
        // Under the result frame, inside the window, the widest figures on one line.
        const QRect frame = window.findChild<QWidget *>("Frame1")->geometry();
        QVERIFY(hours->geometry().top() >= frame.bottom());
        QVERIFY(window.rect().contains(hours->geometry()));
        QVERIFY(hours->fontMetrics().horizontalAdvance(hours->text()) <= hours->contentsRect().width());
        // It goes by itself after a while, and at once when the next answer names no one.
        QVERIFY(hours->findChild<QTimer *>("HoursLineTimer")->isActive());
        id->setText("X9");
        QTest::keyClick(id, Qt::Key_Return);
        QTRY_COMPARE(boxes.countTitled("ID Not Found"), 1);
        QVERIFY(hours->text().isEmpty());
    }
};

QTEST_MAIN(TestRemoteHours)
#include "tst_remotehours.moc"
