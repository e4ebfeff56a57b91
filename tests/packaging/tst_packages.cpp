// The Debian packages as a user gets them: made by cpack from this build tree, installed by dpkg
// into a throw-away root (never this machine's own /opt or /var/lib), the installed server
// started and punched at, both installed again (an upgrade), then purged: the punch stays in the
// database all along. lintian finds no error in either package.
#include "database.h"
#include "layout.h"
#include "programs.h"
#include "testdb.h"
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using zarvo::test::waitForLine;

namespace {

struct Run {
    int code = -1;
    QString output;
};

/// Runs a command to its end, standard error merged into the output.
Run run(const QString &program, const QStringList &args, int timeoutMs = 300000)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    Run r;
    if (!p.waitForStarted(10000) || !p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(5000);
        r.output = program + QStringLiteral(": did not run to its end\n");
    }
    r.output += QString::fromLocal8Bit(p.readAll());
    if (p.exitStatus() == QProcess::NormalExit)
        r.code = p.exitCode();
    return r;
}

/// A file's mode and, as root, its group (under fakeroot a user's files keep the user's group).
QString modeAndGroup(const QString &path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return QStringLiteral("missing");
    const QString mode = QStringLiteral("%1").arg(st.st_mode & 07777, 4, 8, QLatin1Char('0'));
    return ::geteuid() == 0 ? mode + QStringLiteral(" gid %1").arg(st.st_gid) : mode;
}

} // namespace

class TestPackages : public QObject {
    Q_OBJECT
    QTemporaryDir work;
    QString root, serverDeb, clientDeb, zarvoGid;

    QString rights(const char *mode) const { return ::geteuid() == 0 ? mode + (" gid " + zarvoGid) : mode; }
    QString serverDb() const { return root + "/var/lib/zarvo/server/punched.mdb"; }
    QString clientDb() const { return root + "/var/lib/zarvo/client/client.mdb"; }

    /// dpkg acting on the throw-away root only: its maintainer scripts run on this machine
    /// without chroot, with DPKG_ROOT naming the root they must act on.
    Run dpkg(const QStringList &args)
    {
        QStringList all{"--root=" + root, "--force-script-chrootless", "--force-depends",
                        "--log=" + root + "/var/log/dpkg.log"};
        if (::geteuid() != 0) // as a user, under fakeroot: files are owned by that user
            return run("fakeroot", QStringList{"dpkg", "--force-not-root"} + all + args);
        return run("dpkg", all + args);
    }

    int countPunches(const QString &id, bool wantOut)
    {
        zarvo::DatabaseSession db;
        db.open(serverDb(), "pluma");
        zarvo::RecordSet rs;
        rs.open(db, "Select * from timesheet where emp_id = ?", {id});
        if (rs.recordCount() != 1)
            return rs.recordCount();
        const bool ok = rs.value("in1").isValid() && rs.value("out1").isValid() == wantOut;
        return ok ? 1 : -1;
    }

private slots:
    void initTestCase()
    {
        for (const char *tool : {"dpkg", "dpkg-deb", "dpkg-shlibdeps", "lintian"})
            if (QStandardPaths::findExecutable(tool).isEmpty())
                QSKIP(qPrintable(QString("%1 is not installed (dpkg-dev, lintian)").arg(tool)));
        if (::geteuid() != 0 && QStandardPaths::findExecutable("fakeroot").isEmpty())
            QSKIP("not root and fakeroot is not installed");
        QVERIFY(work.isValid());
        // The throw-away root must be reachable by the user who runs the programs.
        QVERIFY(QFile::setPermissions(work.path(), QFile::permissions(work.path()) | QFile::ExeOther | QFile::ReadOther));
        QVERIFY(QDir().mkpath(work.path() + "/home"));
        QVERIFY(QFile::setPermissions(work.path() + "/home", QFileDevice::Permissions(0x7777)));
        root = work.path() + "/root";
        // An empty installation: dpkg's own database and the group files groupadd edits.
        for (const char *d : {"var/lib/dpkg/info", "var/lib/dpkg/updates", "var/lib/dpkg/triggers",
                              "var/log", "etc"})
            QVERIFY(QDir().mkpath(root + "/" + d));
        const QList<QPair<QString, QByteArray>> files{
            {"var/lib/dpkg/status", ""}, {"var/lib/dpkg/available", ""},
            {"etc/group", "root:x:0:\n"}, {"etc/gshadow", "root:*::\n"},
            {"etc/passwd", "root:x:0:0:root:/root:/bin/sh\n"}, {"etc/shadow", "root:*:19000:0:99999:7:::\n"}};
        for (const auto &[name, text] : files) {
            QFile f(root + "/" + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(text);
        }
    }

    void cpackMakesTwoPackages()
    {
        const QString out = work.path() + "/packages";
        const Run r = run(ZARVO_CPACK, {"--config", ZARVO_BUILD_DIR "/CPackConfig.cmake", "-B", out});
        QVERIFY2(r.code == 0, qPrintable(r.output));
        const QStringList debs = QDir(out).entryList({"*.deb"}, QDir::Files, QDir::Name);
        QCOMPARE(debs.size(), 2);
        QVERIFY2(debs[0].startsWith("zarvo-client_") && debs[1].startsWith("zarvo-server_"), qPrintable(debs.join(' ')));
        clientDeb = out + "/" + debs[0];
        serverDeb = out + "/" + debs[1];

        // Dependencies computed from the programs, plus the window-system plugins Qt loads itself.
        for (const QString &deb : {serverDeb, clientDeb}) {
            const QString depends = run("dpkg-deb", {"-f", deb, "Depends"}).output;
            for (const char *lib : {"libqt6widgets6", "libqt6network6", "libsqlcipher0", "libc6", "qt6-qpa-plugins"})
                QVERIFY2(depends.contains(lib), qPrintable(deb + ": " + depends));
        }
        QVERIFY(run("dpkg-deb", {"-f", serverDeb, "Depends"}).output.contains("libxlsxwriter"));

        // Programs under /opt/zarvo, menu entries and icons, and no database: the installer lays it out.
        const QString server = run("dpkg-deb", {"-c", serverDeb}).output;
        const QString client = run("dpkg-deb", {"-c", clientDeb}).output;
        for (const char *f : {"./opt/zarvo/server/ZarvoServer", "./opt/zarvo/server/ZarvoReport",
                              "./opt/zarvo/server/help.hlp", "./opt/zarvo/server/help.doc",
                              "./opt/zarvo/server/setup/mkdb", "./usr/share/applications/zarvo-server.desktop"})
            QVERIFY2(server.contains(f), f);
        for (const char *f : {"./opt/zarvo/client/Client", "./usr/share/applications/zarvo-client.desktop"})
            QVERIFY2(client.contains(f), f);
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
            const QString icon = QString("./usr/share/icons/hicolor/%1x%1/apps/zarvo-%2.png").arg(size);
            QVERIFY2(server.contains(icon.arg("server")), qPrintable(icon));
            QVERIFY2(client.contains(icon.arg("client")), qPrintable(icon));
        }
        QVERIFY(!server.contains(".mdb") && !client.contains(".mdb"));
    }

    void installLaysTheDatabasesOut()
    {
        QVERIFY(!serverDeb.isEmpty());
        const Run r = dpkg({"-i", serverDeb, clientDeb});
        QVERIFY2(r.code == 0, qPrintable(r.output));
        QVERIFY2(r.output.contains("laid out " + serverDb()), qPrintable(r.output));
        QFile group(root + "/etc/group");
        QVERIFY(group.open(QIODevice::ReadOnly));
        const QRegularExpressionMatch m = QRegularExpression("^zarvo:x:(\\d+):", QRegularExpression::MultilineOption)
                                              .match(QString::fromLatin1(group.readAll()));
        QVERIFY2(m.hasMatch(), "the installer made no group zarvo");
        zarvoGid = m.captured(1);
        QCOMPARE(modeAndGroup(root + "/var/lib/zarvo/server"), rights("2775"));
        QCOMPARE(modeAndGroup(serverDb()), rights("0660"));
        QCOMPARE(modeAndGroup(clientDb()), rights("0660"));
        // Where the copies taken before a layout upgrade go, whoever of the group runs it.
        QCOMPARE(modeAndGroup(root + "/var/lib/zarvo/server/backups"), rights("2770"));
        QCOMPARE(modeAndGroup(root + "/var/lib/zarvo/client/backups"), rights("2770"));
        QVERIFY(!QFileInfo::exists(root + "/opt/zarvo/server/punched.mdb"));

        zarvo::DatabaseSession db;
        db.open(serverDb(), "pluma");
        zarvo::test::addEmployee(db, "E7", "John", "Smith");
    }

    /// Starts an installed program as a user in the group zarvo, as people run it: as root,
    /// the user nobody with that group added; as a user (fakeroot), that user owns every file.
    void startAsMember(QProcess &p, const QString &program, QProcessEnvironment env)
    {
        env.insert("HOME", work.path() + "/home");
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(work.path());
        if (::geteuid() == 0)
            p.start("setpriv", {"--reuid=nobody", "--regid=nogroup", "--groups=" + zarvoGid, program});
        else
            p.start(program, {});
    }

    void outsiderIsToldAboutTheGroup()
    {
        QVERIFY(!zarvoGid.isEmpty());
        if (::geteuid() != 0)
            QSKIP("only root can run the server as a user outside the group");
        QProcess server;
        QProcessEnvironment env = zarvo::test::headlessEnvironment();
        env.insert("HOME", work.path() + "/home");
        server.setProcessEnvironment(env);
        server.start("setpriv", {"--reuid=nobody", "--regid=nogroup", "--clear-groups",
                                 root + "/opt/zarvo/server/ZarvoServer"});
        QVERIFY(server.waitForFinished(30000));
        const QString log = QString::fromLocal8Bit(server.readAllStandardError());
        QCOMPARE(server.exitCode(), 1);
        QVERIFY2(log.contains("BOX|") && log.contains(serverDb() + " cannot be written")
                     && log.contains("members of the group zarvo"), qPrintable(log));
    }

    void installedProgramsPunch()
    {
        QVERIFY(!zarvoGid.isEmpty());
        QProcess server;
        QProcessEnvironment env = zarvo::test::headlessEnvironment();
        env.insert("ZARVO_PUNCH_PORT", "0");
        startAsMember(server, root + "/opt/zarvo/server/ZarvoServer", env);
        QVERIFY2(server.waitForStarted(10000), qPrintable(server.errorString()));
        QString log;
        const QString port = waitForLine(server, log, QRegularExpression("ZARVO-LISTENING (\\d+)"), 30000);
        QVERIFY2(!port.isEmpty(), qPrintable(log));

        // A punch in, straight on the wire.
        QTcpSocket socket;
        socket.connectToHost("127.0.0.1", port.toUShort());
        QVERIFY(socket.waitForConnected(10000));
        socket.write("E7");
        QByteArray answer;
        QElapsedTimer timer;
        timer.start();
        while (!answer.contains("RINJohn Smith") && timer.elapsed() < 20000 && socket.waitForReadyRead(1000))
            answer += socket.readAll();
        QVERIFY2(answer.contains("RINJohn Smith"), answer.constData());
        socket.close();
        // Answered, so on disk: in the write-ahead log, written by that user, which the group
        // may use as well.
        const QString wal = serverDb() + "-wal";
        QCOMPARE(modeAndGroup(wal), rights("0660"));
        const passwd *nobody = ::getpwnam("nobody");
        QVERIFY(nobody);
        QCOMPARE(QFileInfo(wal).ownerId(), ::geteuid() == 0 ? nobody->pw_uid : ::geteuid());

        // A punch out from the installed terminal, which finds its own database too.
        QProcess client;
        env = zarvo::test::headlessEnvironment();
        env.insert("ZARVO_PUNCH_PORT", port);
        env.insert("ZARVO_CLIENT_SCRIPT", "E7");
        startAsMember(client, root + "/opt/zarvo/client/Client", env);
        QVERIFY(client.waitForFinished(30000));
        const QString clientLog = QString::fromLocal8Bit(client.readAllStandardError());
        QVERIFY2(clientLog.contains("ZARVO-RESULT John Smith|Signed Out at "), qPrintable(clientLog));

        server.terminate(); // a clean stop merges the write-ahead log
        QVERIFY(server.waitForFinished(30000));
        QCOMPARE(countPunches("E7", true), 1);
    }

    void upgradeKeepsThePunch()
    {
        QVERIFY(!zarvoGid.isEmpty());
        const QByteArray before = [this] { QFile f(serverDb()); f.open(QIODevice::ReadOnly); return f.readAll(); }();
        const Run r = dpkg({"-i", serverDeb, clientDeb});
        QVERIFY2(r.code == 0, qPrintable(r.output));
        QVERIFY2(r.output.contains("keeping " + serverDb()), qPrintable(r.output));
        QFile after(serverDb());
        QVERIFY(after.open(QIODevice::ReadOnly));
        QVERIFY2(after.readAll() == before, "the upgrade changed punched.mdb");
        QCOMPARE(modeAndGroup(serverDb()), rights("0660"));
        QCOMPARE(countPunches("E7", true), 1);
    }

    void purgeLeavesTheData()
    {
        QVERIFY(!zarvoGid.isEmpty());
        const Run r = dpkg({"--purge", "zarvo-server", "zarvo-client"});
        QVERIFY2(r.code == 0, qPrintable(r.output));
        QVERIFY(!QFileInfo::exists(root + "/opt/zarvo/server/ZarvoServer"));
        QVERIFY(QFileInfo::exists(clientDb()));
        QCOMPARE(countPunches("E7", true), 1);
    }

    void installBringsAnOlderLayoutUpToDate()
    {
        QVERIFY(!zarvoGid.isEmpty());
        // A database from before layout versions, with its rows, where the package installs.
        QVERIFY(QFile::rename(serverDb(), serverDb() + ".checked"));
        zarvo::test::createDeliveredServerDatabase(serverDb());
        {
            zarvo::DatabaseSession db;
            db.open(serverDb(), "pluma");
            zarvo::test::addEmployee(db, "E9", "Ann", "Lee");
            QCOMPARE(zarvo::layoutVersion(db), 0);
        }
        const Run r = dpkg({"-i", serverDeb});
        QVERIFY2(r.code == 0, qPrintable(r.output));
        QVERIFY2(r.output.contains("brought " + serverDb() + " from layout version 0"), qPrintable(r.output));
        const QString backups = root + "/var/lib/zarvo/server/backups/";
        const QStringList copies = QDir(backups).entryList({"punched-before-layout-*.mdb"});
        QCOMPARE(copies.size(), 1);
        // The copy holds the payroll data too: for the group, not for everyone.
        QVERIFY(!(QFile::permissions(backups + copies[0]) & QFile::ReadOther));
        zarvo::DatabaseSession db;
        db.open(serverDb(), "pluma");
        QVERIFY(zarvo::layoutVersion(db) > 0);
        QCOMPARE(db.countRows("Employee"), 1);
    }

    void lintianFindsNoError()
    {
        QVERIFY(!serverDeb.isEmpty());
        const Run r = run("lintian", {"--fail-on", "error", "--display-info", serverDeb, clientDeb});
        qInfo().noquote() << "lintian:\n" + r.output;
        QVERIFY2(r.code == 0, qPrintable(r.output));
        QVERIFY2(!r.output.contains(QRegularExpression("^E: ", QRegularExpression::MultilineOption)), qPrintable(r.output));
    }
};

QTEST_GUILESS_MAIN(TestPackages)
#include "tst_packages.moc"
