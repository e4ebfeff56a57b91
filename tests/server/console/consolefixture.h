#pragma once
// What the console tests share: a fresh punched.mdb as the program's shared connection, a
// console listening on a free port, and every box recorded.

#include "boxrecorder.h"
#include "commands.h"
#include "login.h"
#include "module1.h"
#include "testdb.h"
#include "velopunch.h"
#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <memory>

struct ConsoleFixture {
    std::unique_ptr<zarvo::test::ServerDb> sdb;
    std::unique_ptr<zarvo::test::BoxRecorder> boxes;
    std::unique_ptr<VeloPunch> console;

    /// Opens a fresh database and a loaded console; false when either fails.
    bool start()
    {
        qputenv("ZARVO_PUNCH_PORT", "0"); // any free port: runs may overlap
        sdb = std::make_unique<zarvo::test::ServerDb>();
        Module1::instance().db.close();
        Module1::instance().db.open(sdb->path, Module1::databasePassword());
        Module1::instance().setAdminLocked(false); // load() must lock it
        boxes = std::make_unique<zarvo::test::BoxRecorder>();
        console = std::make_unique<VeloPunch>();
        console->show();
        return console->load();
    }
    void stop()
    {
        console.reset();
        boxes.reset();
        sdb.reset();
    }
    QAction *action(int id) const { return console->command(id); }
    int windowCount() const { return int(console->mdiArea()->subWindowList().size()); }
    /// Logs in through the LogIn window with `password`.
    void logIn(const QString &password)
    {
        console->invoke(ConsoleCommands::ID_LOGIN);
        LogIn *w = findInsideConsole<LogIn>();
        QVERIFY(w);
        w->findChild<QLineEdit *>("Text1")->setText(password);
        QTest::mouseClick(w->findChild<QPushButton *>("PushButton2"), Qt::LeftButton);
    }
};
