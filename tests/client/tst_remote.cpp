// The terminal window in the seed's behaviour (the setting), against a stand-in server on
// loopback: every box and line exactly as the seed has them.
#include "boxrecorder.h"
#include "clock.h"
#include "database.h"
#include "protocol.h"
#include "remote.h"
#include "systemtexts.h"
#include "testdb.h"
#include "uiutil.h"
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using zarvo::BoxIcon;
using zarvo::test::BoxRecorder;

namespace {
const QDateTime kNow(QDate(2026, 12, 9), QTime(14, 5, 9));

/// Passes every box on to the recorder but notes the title and default text of input boxes,
/// which the recorder does not keep.
struct InputProbe final : zarvo::DialogHandler {
    BoxRecorder &boxes;
    QStringList titles;
    QStringList defaults;
    explicit InputProbe(BoxRecorder &b) : boxes(b) { zarvo::Dialogs::setHandler(this); }
    ~InputProbe() override { zarvo::Dialogs::setHandler(&boxes); }
    zarvo::BoxAnswer message(QWidget *p, const zarvo::MessageBox &box) override { return boxes.message(p, box); }
    void messageAsync(QWidget *p, const zarvo::MessageBox &box, std::function<void(zarvo::BoxAnswer)> done) override
    {
        boxes.messageAsync(p, box, std::move(done));
    }
    std::optional<QString> input(QWidget *p, const QString &prompt, const QString &title,
                                 const QString &defaultText) override
    {
        titles << title;
        defaults << defaultText;
        return boxes.input(p, prompt, title, defaultText);
    }
    std::optional<QString> openFileName(QWidget *p, const QString &t, const QString &f, const QString &s) override
    {
        return boxes.openFileName(p, t, f, s);
    }
    void openWithDefaultHandler(const QString &what) override { boxes.openWithDefaultHandler(what); }
};

/// A client.mdb holding `address`, a stand-in server and the terminal window over them.
struct Rig {
    QTemporaryDir dir;
    zarvo::DatabaseSession db;
    QTcpServer server;
    QTcpSocket *peer = nullptr;
    std::unique_ptr<Remote> window;

    explicit Rig(const QString &address = QStringLiteral("127.0.0.1"), bool listen = true)
    {
        const QString path = dir.path() + "/client.mdb";
        zarvo::test::createClientDatabase(path);
        db.open(path);
        zarvo::RecordSet rs;
        rs.open(db, "Select * from server");
        rs.moveFirst();
        rs.setValue("ip", address);
        rs.update();
        if (listen)
            server.listen(QHostAddress::Any, 0);
        else
            server.listen(QHostAddress::LocalHost, 0), server.close();
        qputenv("ZARVO_PUNCH_PORT", QByteArray::number(listen ? server.serverPort() : 1));
        window = std::make_unique<Remote>(db, Remote::Behaviour::Seed);
        window->show();
    }
    /// Opens the window and waits for the stand-in server to accept it.
    void openConnected()
    {
        window->open();
        QTRY_VERIFY(server.hasPendingConnections());
        peer = server.nextPendingConnection();
        QTRY_COMPARE(window->socket()->state(), QAbstractSocket::ConnectedState);
    }
    QString text(const char *name) const { return window->findChild<QLabel *>(name)->text(); }
    QLineEdit *id() const { return window->findChild<QLineEdit *>("Text1"); }
    void pressEnter() { QTest::keyClick(id(), Qt::Key_Return); }
    QString storedAddress()
    {
        zarvo::RecordSet rs;
        rs.open(db, "Select * from server");
        rs.moveFirst();
        return rs.text("ip");
    }
};
} // namespace

class TestRemote : public QObject {
    Q_OBJECT
private slots:
    void init() { zarvo::Clock::setFixed(kNow); }
    void cleanup() { zarvo::Clock::clearFixed(); }

    void windowAndControls()
    {
        BoxRecorder boxes;
        Rig rig;
        rig.openConnected();
        Remote *w = rig.window.get();
        QCOMPARE(w->objectName(), QString("Remote"));
        QCOMPARE(w->windowTitle(), QString("Zarvo Punch Clock"));
        QCOMPARE(w->size(), QSize(zarvo::twips(6705), zarvo::twips(4140)));
        const struct { const char *name; QRect rect; } placed[] = {
            {"Label1", zarvo::twipsRect(1440, 240, 4815, 495)},
            {"Picture1", zarvo::twipsRect(360, 960, 2055, 2055)},
            {"Label2", zarvo::twipsRect(3000, 1200, 1335, 255)},
            {"Text1", zarvo::twipsRect(3000, 1440, 2895, 285)},
            {"Frame1", zarvo::twipsRect(120, 2880, 3015, 975)},
            {"Label5", zarvo::twipsRect(720, 240, 2175, 255)},
            {"Label6", zarvo::twipsRect(720, 480, 2175, 255)},
            {"konek", zarvo::twipsRect(3240, 2400, 1455, 1455)},
            {"GroupBox1", zarvo::twipsRect(4800, 2400, 1455, 1455)},
        };
        for (const auto &p : placed) {
            auto *c = w->findChild<QWidget *>(p.name);
            QVERIFY2(c, p.name);
            QCOMPARE(c->geometry(), p.rect);
        }
        QCOMPARE(rig.text("Label2"), QString("Employee ID"));
        QCOMPARE(rig.text("Label3"), QString("Name "));
        QCOMPARE(rig.text("Label4"), QString("Action "));
        QVERIFY(rig.text("Label5").isEmpty() && rig.text("Label6").isEmpty());
        QVERIFY(rig.id()->text().isEmpty());
        QCOMPARE(w->findChild<QPushButton *>("konek")->toolTip(), QString("Connect to Server"));
        QCOMPARE(w->findChild<QPushButton *>("PushButton1")->toolTip(), QString("Close this Window"));
        QVERIFY(w->findChild<QPushButton *>("konek")->text().isEmpty());
        QVERIFY(w->findChild<QPushButton *>("PushButton1")->text().isEmpty());
        QCOMPARE(w->findChild<QLabel *>("Label1")->font().family(), QString("Times New Roman"));
        // Text1 has the focus at opening and is the first stop of the tab order.
        QCOMPARE(w->focusWidget(), rig.id());
        QWidget *first = w->nextInFocusChain();
        while (first != w && !(first->focusPolicy() & Qt::TabFocus))
            first = first->nextInFocusChain();
        QCOMPARE(first, rig.id());
        QVERIFY(!w->findChild<QLabel *>("Picture1")->pixmap().isNull());
        QCOMPARE(rig.text("Label1"), zarvo::SystemTexts::generalDateTime(kNow));
        zarvo::Clock::setFixed(kNow.addSecs(61));
        QTRY_COMPARE(rig.text("Label1"), zarvo::SystemTexts::generalDateTime(kNow.addSecs(61)));
        QCOMPARE(rig.window->serverAddress(), QString("127.0.0.1"));
    }

    void enterSendsTheTextUnchanged_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Return") << int(Qt::Key_Return);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
    }

    void enterSendsTheTextUnchanged()
    {
        QFETCH(int, key);
        BoxRecorder boxes;
        Rig rig;
        rig.openConnected();
        // Other keys are simply typed: nothing goes out before Enter.
        QTest::keyClicks(rig.id(), "E1");
        QCOMPARE(rig.id()->text(), QString("E1"));
        QTest::qWait(20);
        QCOMPARE(rig.peer->bytesAvailable(), 0);
        rig.id()->setText(QString::fromUtf8(" José €5 "));
        QTest::keyClick(rig.id(), Qt::Key(key));
        QVERIFY(rig.id()->text().isEmpty());
        QTRY_COMPARE(rig.peer->bytesAvailable(), 9);
        QCOMPARE(rig.peer->readAll(), QByteArray(" Jos\xe9 \x80" "5 "));
        QVERIFY(boxes.boxes.isEmpty());
    }

    void repliesSetTheLinesAndBoxes_data()
    {
        QTest::addColumn<QByteArrayList>("pieces");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("boxTitles");
        const QString in = "Signed In at " + zarvo::SystemTexts::time(kNow.time());
        const QString out = "Signed Out at " + zarvo::SystemTexts::time(kNow.time());
        QTest::newRow("CRA") << QByteArrayList{"CRA"} << "" << "" << QStringList{"Remote Connected"};
        QTest::newRow("NRF") << QByteArrayList{"NRF"} << "" << "" << QStringList{"ID Not Found"};
        QTest::newRow("RIN") << QByteArrayList{"RINJohn Smith"} << "John Smith" << in << QStringList{};
        QTest::newRow("OUT") << QByteArrayList{"OUTJohn Smith"} << "John Smith" << out << QStringList{};
        QTest::newRow("RIN then NRF keeps lines") << QByteArrayList{"RINAnn Lee", "NRF"} << "Ann Lee" << in
                                                  << QStringList{"ID Not Found"};
        QTest::newRow("windows-1252 name") << QByteArrayList{"RINJos\xe9"} << QString::fromUtf8("José") << in
                                           << QStringList{};
        QTest::newRow("glued CRA and reply") << QByteArrayList{"CRARINJohn Smith"} << "" << "" << QStringList{};
        QTest::newRow("glued NRFs") << QByteArrayList{"NRFNRF"} << "" << "" << QStringList{};
        QTest::newRow("split reply") << QByteArrayList{"RINJo", "hn Smith"} << "Jo" << in << QStringList{};
        QTest::newRow("code is case exact") << QByteArrayList{"rinJohn", "Cra"} << "" << "" << QStringList{};
        QTest::newRow("short pieces") << QByteArrayList{"R", "IN"} << "" << "" << QStringList{};
        QTest::newRow("bare RIN") << QByteArrayList{"RIN"} << "" << in << QStringList{};
    }

    void repliesSetTheLinesAndBoxes()
    {
        QFETCH(QByteArrayList, pieces);
        QFETCH(QString, name);
        QFETCH(QString, action);
        QFETCH(QStringList, boxTitles);
        BoxRecorder boxes;
        Rig rig;
        rig.openConnected();
        for (const QByteArray &piece : pieces)
            rig.window->handleMessage(piece);
        QCOMPARE(rig.text("Label5"), name);
        QCOMPARE(rig.text("Label6"), action);
        QStringList titles;
        for (const auto &b : boxes.boxes) {
            titles << b.title;
            QCOMPARE(b.icon, BoxIcon::Information);
        }
        QCOMPARE(titles, boxTitles);
        if (!boxes.boxes.isEmpty())
            QCOMPARE(boxes.last().text, boxTitles.last() == "Remote Connected"
                                             ? QString("Connection Request Accepted")
                                             : QString("No Record of That ID Found"));
    }

    void repliesOverTheWireAndRepeatedBoxesDoNotPile()
    {
        BoxRecorder boxes;
        Rig rig;
        rig.openConnected();
        QSignalSpy handled(rig.window.get(), &Remote::messageHandled);
        rig.peer->write("OUTAnn Lee");
        QVERIFY(handled.wait(5000));
        QCOMPARE(rig.text("Label5"), QString("Ann Lee"));
        // A server repeating itself gets one open box per text, not one per message.
        for (int i = 0; i < 20; ++i) {
            rig.window->handleMessage("NRF");
        }
        QCOMPARE(boxes.pending.size(), 1);
        boxes.dismiss(0);
        rig.window->handleMessage("NRF");
        QCOMPARE(boxes.pending.size(), 2);
    }

    void serverClosingIsSilentThenEnterComplains()
    {
        BoxRecorder boxes;
        Rig rig;
        rig.openConnected();
        rig.peer->disconnectFromHost();
        QTRY_COMPARE(rig.window->socket()->state(), QAbstractSocket::UnconnectedState);
        QVERIFY(boxes.boxes.isEmpty());
        rig.id()->setText("E1");
        rig.pressEnter();
        QCOMPARE(boxes.boxes.size(), 1);
        QCOMPARE(boxes.last().text, QString("Unable to Reach Server! Please Make Sure They're Connected."));
        QCOMPARE(boxes.last().title, QString("Error In Connection"));
        QCOMPARE(boxes.last().icon, BoxIcon::Exclamation);
        QCOMPARE(rig.id()->text(), QString("E1"));
    }

    void refusedConnectionShowsTheSocketError()
    {
        BoxRecorder boxes;
        Rig rig(QStringLiteral("127.0.0.1"), false);
        rig.window->open();
        QTRY_COMPARE(boxes.boxes.size(), 1);
        QVERIFY(boxes.last().text.startsWith("Socket Error "));
        QVERIFY(boxes.last().text.contains(": "));
        QCOMPARE(boxes.last().title, QString("Connection Error"));
        QCOMPARE(boxes.last().icon, BoxIcon::Information);
        rig.id()->setText("E1");
        rig.pressEnter();
        QCOMPARE(boxes.last().title, QString("Error In Connection"));
    }

    void hostNameIsUsedAsStored()
    {
        BoxRecorder boxes;
        Rig rig(QStringLiteral("localhost"));
        rig.openConnected();
        QCOMPARE(rig.window->serverAddress(), QString("localhost"));
        QCOMPARE(rig.window->socket()->peerName(), QString("localhost"));
    }

    void konek_data()
    {
        QTest::addColumn<QVariant>("answer"); // invalid = cancelled
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("ends");
        QTest::newRow("cancelled") << QVariant() << "127.0.0.1" << false;
        QTest::newRow("empty") << QVariant(QString()) << "127.0.0.1" << false;
        QTest::newRow("address") << QVariant(QString("10.1.2.3")) << "10.1.2.3" << true;
        QTest::newRow("host name as typed") << QVariant(QString(" Server-PC")) << " Server-PC" << true;
    }

    void konek()
    {
        QFETCH(QVariant, answer);
        QFETCH(QString, stored);
        QFETCH(bool, ends);
        BoxRecorder boxes;
        Rig rig;
        rig.openConnected();
        if (answer.isValid())
            boxes.inputs.push_back(answer.toString());
        QSignalSpy ended(rig.window.get(), &Remote::endProgram);
        InputProbe probe(boxes);
        rig.window->findChild<QPushButton *>("konek")->click();
        QCOMPARE(boxes.inputPrompts, QStringList{"Please Enter the Server's IP Address"});
        QCOMPARE(probe.titles, QStringList{"Connect to Remote Server"});
        QCOMPARE(probe.defaults, QStringList{QString()});
        QCOMPARE(rig.storedAddress(), stored);
        QCOMPARE(ended.size(), ends ? 1 : 0);
        if (ends) {
            QCOMPARE(boxes.last().text, QString("The System Needs to be Restarted"));
            QCOMPARE(boxes.last().title, QString("Closing Client"));
            QCOMPARE(boxes.last().icon, BoxIcon::Information);
        } else {
            QVERIFY(boxes.boxes.isEmpty());
        }
    }

    void exitAsksFirst()
    {
        BoxRecorder boxes;
        Rig rig;
        rig.openConnected();
        boxes.answers = {zarvo::BoxAnswer::No, zarvo::BoxAnswer::Yes};
        auto *exit = rig.window->findChild<QPushButton *>("PushButton1");
        // From the keyboard: Tab past "konek" to the button, and Enter presses it.
        QTest::keyClick(rig.id(), Qt::Key_Tab);
        QTest::keyClick(rig.window->focusWidget(), Qt::Key_Tab);
        QCOMPARE(rig.window->focusWidget(), exit);
        QTest::keyClick(exit, Qt::Key_Return);
        QCOMPARE(boxes.last().text, QString("Are You Sure to Exit Zarvo Punch"));
        QCOMPARE(boxes.last().title, QString("You're About to Close Zarvo Punch Clock"));
        QCOMPARE(boxes.last().icon, BoxIcon::Question);
        QCOMPARE(boxes.last().buttons, zarvo::BoxButtons::YesNo);
        QVERIFY(rig.window->isVisible());
        exit->click();
        QVERIFY(!rig.window->isVisible());
    }

    void closedStoreHidesTheWindow()
    {
        BoxRecorder boxes;
        Rig rig;
        rig.db.close();
        rig.window->open();
        QCOMPARE(boxes.boxes.size(), 1);
        QCOMPARE(boxes.last().text, QString("Could not open database ..."));
        QCOMPARE(boxes.last().title, QString("Connection Failed"));
        QCOMPARE(boxes.last().icon, BoxIcon::Exclamation);
        QVERIFY(!rig.window->isVisible());
    }

    void emptyServerTableDoesNotStopTheTerminal()
    {
        BoxRecorder boxes;
        Rig rig;
        rig.db.execScript("DELETE FROM server");
        rig.window->open();
        QVERIFY(rig.window->serverAddress().isEmpty());
        QTRY_COMPARE(boxes.countTitled("Connection Error"), 1);
        // konek stores an address even into the empty table.
        boxes.inputs.push_back(QString("10.0.0.7"));
        rig.window->findChild<QPushButton *>("konek")->click();
        QCOMPARE(rig.storedAddress(), QString("10.0.0.7"));
    }
};

QTEST_MAIN(TestRemote)
#include "tst_remote.moc"
