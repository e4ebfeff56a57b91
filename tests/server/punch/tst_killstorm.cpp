// The real ZarvoServer killed (kill -9) in the middle of a storm of punches from 20 terminals:
// every punch a terminal was told of ("RIN"/"OUT") is on disk afterwards. A reply goes out only
// after the write-ahead log holding its punch has been synced, so nothing acknowledged is lost.
#include "database.h"
#include "serverlayout.h"
#include "programs.h"
#include "testdb.h"
#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <vector>

namespace {
constexpr int Terminals = 20, EmployeesEach = 50;

/// A terminal that punches its own employees one after another, each after the last reply.
struct Terminal {
    std::unique_ptr<QTcpSocket> socket = std::make_unique<QTcpSocket>();
    int first = 0, next = 0;
    QByteArray pending;
    void punch()
    {
        socket->write(QByteArray("E") + QByteArray::number(first + next));
        next = (next + 1) % EmployeesEach;
    }
};
} // namespace

class TestKillStorm : public QObject {
    Q_OBJECT
private slots:
    void acknowledgedPunchesSurviveKill()
    {
        QTemporaryDir dir;
        const QString serverDir = dir.path() + "/server";
        QVERIFY(zarvo::test::copyProgramFolder(ZARVO_SERVER_DIR, serverDir));
        {
            zarvo::DatabaseSession db;
            db.open(serverDir + "/punched.mdb", "pluma");
            db.execScript("BEGIN");
            for (int i = 0; i < Terminals * EmployeesEach; ++i)
                zarvo::test::addEmployee(db, QString("E%1").arg(i), QString("First%1").arg(i), QString("Last%1").arg(i));
            db.execScript("COMMIT");
        }
        QProcess server;
        QProcessEnvironment env = zarvo::test::headlessEnvironment();
        env.insert("ZARVO_PUNCH_PORT", "0");
        server.setProcessEnvironment(env);
        server.start(serverDir + "/ZarvoServer", {});
        QVERIFY(server.waitForStarted(10000));
        QString log;
        QRegularExpressionMatch port;
        QElapsedTimer timer;
        timer.start();
        while (!(port = QRegularExpression("ZARVO-LISTENING (\\d+)").match(log)).hasMatch() && timer.elapsed() < 30000) {
            server.waitForReadyRead(100);
            log += QString::fromLocal8Bit(server.readAllStandardError());
        }
        QVERIFY2(port.hasMatch(), qPrintable(log));

        // Told of, per employee: the replies each terminal got before the kill.
        QHash<QByteArray, int> acknowledged;
        int replies = 0;
        std::vector<Terminal> terminals(Terminals);
        for (int i = 0; i < Terminals; ++i) {
            Terminal &t = terminals[size_t(i)];
            t.first = i * EmployeesEach;
            t.socket->connectToHost(QHostAddress::LocalHost, port.captured(1).toUShort());
            QVERIFY(t.socket->waitForConnected(5000));
            QTRY_VERIFY(t.socket->bytesAvailable() >= 3); // "CRA"
            QCOMPARE(t.socket->read(3), QByteArray("CRA"));
            QObject::connect(t.socket.get(), &QTcpSocket::readyRead, t.socket.get(), [&t, &acknowledged, &replies] {
                t.pending += t.socket->readAll();
                // One punch is outstanding at a time, so a whole reply is "RINFirst<n> Last<n>".
                const QRegularExpressionMatch m =
                    QRegularExpression("^(RIN|OUT)First(\\d+) Last\\2$").match(QString::fromLatin1(t.pending));
                if (!m.hasMatch())
                    return;
                ++acknowledged[m.captured(2).toLatin1()];
                ++replies;
                t.pending.clear();
                t.punch();
            });
            t.punch();
        }
        // The storm runs, then the server dies without any chance to tidy up.
        QTest::qWait(1500);
        server.kill();
        QVERIFY(server.waitForFinished(10000));
        QTest::qWait(50); // replies already in this process's buffers are counted too
        QVERIFY2(replies > 50, qPrintable(QString::number(replies)));

        zarvo::DatabaseSession db;
        db.open(serverDir + "/punched.mdb", "pluma");
        int lost = 0;
        for (auto it = acknowledged.cbegin(); it != acknowledged.cend(); ++it) {
            zarvo::RecordSet rs;
            rs.open(db, "Select * from timesheet where emp_id = ?", {QString("E") + QString::fromLatin1(it.key())});
            int stored = 0;
            for (; !rs.eof(); rs.moveNext())
                for (const char *f : ServerLayout::TimeSlots)
                    stored += rs.value(QLatin1String(f)).isValid();
            if (stored < it.value())
                lost += it.value() - stored;
        }
        QCOMPARE(lost, 0);
        qInfo("%d punches acknowledged before the kill; every one of them is on disk", replies);
    }
};

QTEST_GUILESS_MAIN(TestKillStorm)
#include "tst_killstorm.moc"
