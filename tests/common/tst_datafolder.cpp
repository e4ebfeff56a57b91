// Where each program finds its database: beside it, or where its package keeps it.
#include "datafolder.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

class TestDataFolder : public QObject {
    Q_OBJECT
    QTemporaryDir tmp;

    /// A folder under the temporary one, made, optionally holding an (empty) file.
    QString folder(const QString &relative, const QString &holding = {})
    {
        const QString path = tmp.path() + QLatin1Char('/') + relative;
        QDir().mkpath(path);
        if (!holding.isEmpty()) {
            QFile f(path + QLatin1Char('/') + holding);
            f.open(QIODevice::WriteOnly);
        }
        return path;
    }

private slots:
    void chosenFolder_data()
    {
        QTest::addColumn<QString>("programFolder");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("expected"); // relative to the temporary folder
        QTest::newRow("build tree with its database")
            << folder("build/bin/server", "punched.mdb") << "punched.mdb" << "build/bin/server";
        QTest::newRow("build tree without: the missing file is named there")
            << folder("bare/bin/server") << "punched.mdb" << "bare/bin/server";
        QTest::newRow("cmake --install folder under opt keeps its own")
            << folder("prefix/opt/zarvo/server", "punched.mdb") << "punched.mdb" << "prefix/opt/zarvo/server";
        QTest::newRow("packaged server")
            << folder("root/opt/zarvo/server") << "punched.mdb" << "root/var/lib/zarvo/server";
        QTest::newRow("packaged terminal")
            << folder("root/opt/zarvo/client") << "client.mdb" << "root/var/lib/zarvo/client";
        QTest::newRow("another program's file does not count")
            << folder("other/opt/zarvo/client", "punched.mdb") << "client.mdb" << "other/var/lib/zarvo/client";
        QTest::newRow("written with a trailing separator")
            << folder("root/opt/zarvo/server") + "/" << "punched.mdb" << "root/var/lib/zarvo/server";
        QTest::newRow("another product under opt")
            << folder("root/opt/zarvo2/server") << "punched.mdb" << "root/opt/zarvo2/server";
        QTest::newRow("zarvo outside opt")
            << folder("home/zarvo/server") << "punched.mdb" << "home/zarvo/server";
    }
    void chosenFolder()
    {
        QFETCH(QString, programFolder);
        QFETCH(QString, file);
        QFETCH(QString, expected);
        QCOMPARE(zarvo::databaseFolder(programFolder, file), tmp.path() + QLatin1Char('/') + expected);
    }

    void accessHint_data()
    {
        QTest::addColumn<QString>("programFolder");
        QTest::addColumn<bool>("hinted");
        folder("hint/var/lib/zarvo/server", "punched.mdb");
        QFile::setPermissions(tmp.path() + "/hint/var/lib/zarvo/server/punched.mdb", QFile::ReadOwner);
        folder("usable/var/lib/zarvo/server", "punched.mdb");
        const QString beside = folder("beside/bin/server", "punched.mdb");
        QFile::setPermissions(beside + "/punched.mdb", QFile::ReadOwner);
        QTest::newRow("packaged, not writable") << folder("hint/opt/zarvo/server") << true;
        QTest::newRow("packaged, usable") << folder("usable/opt/zarvo/server") << false;
        QTest::newRow("packaged, missing: another fault") << folder("gone/opt/zarvo/server") << false;
        QTest::newRow("beside the program: the group has no say") << beside << false;
    }
    void accessHint()
    {
        QFETCH(QString, programFolder);
        QFETCH(bool, hinted);
        if (hinted && ::geteuid() == 0)
            QSKIP("root may write any file");
        const QString hint = zarvo::databaseAccessHint(programFolder, "punched.mdb");
        QCOMPARE(hint.contains("members of the group zarvo"), hinted);
    }

    void packagedAtTheSystemRoot()
    {
        if (QFile::exists("/opt/zarvo/server/punched.mdb"))
            QSKIP("this machine has a database beside /opt/zarvo/server (cmake --install)");
        QCOMPARE(zarvo::databaseFolder("/opt/zarvo/server", "punched.mdb"), QString("/var/lib/zarvo/server"));
    }
};

QTEST_GUILESS_MAIN(TestDataFolder)
#include "tst_datafolder.moc"
