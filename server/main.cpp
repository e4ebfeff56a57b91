// ZarvoServer: opens punched.mdb (Module1::databasePath), then shows the console.
#include "artwork.h"
#include "backups.h"
#include "dialogs.h"
#include "module1.h"
#include "operatornotices.h"
#include "punchserver.h"
#include "shutdownsignals.h"
#include "storecheck.h"
#include "velopunch.h"
#include <QApplication>
#include <QStyleFactory>
#include <memory>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setWindowIcon(zarvo::Artwork::appIcon());
    zarvo::Dialogs::setProgramTitle(QStringLiteral("Zarvo Punch Server"));
    try {
        Module1::instance().openDatabase();
    } catch (const zarvo::DbError &e) {
        // Without its database the program has nothing to show: the reason, then the end.
        zarvo::Dialogs::message(nullptr, e.message(), {}, zarvo::BoxIcon::Exclamation);
        return 1;
    }
    int result = 1;
    std::shared_ptr<zarvo::BackgroundStoreCheck> wholeCheck;
    // A copy of the file at start and once a day, written beside the punches.
    DatabaseBackups backups(Module1::databasePath(), Module1::databasePassword());
    {
        VeloPunch console;
        QObject::connect(&console, &VeloPunch::closed, &app, &QApplication::quit);
        // A logout or a stop request closes the console like "Exit" does.
        zarvo::closeOnTerminationSignals(&console, [&console] { console.close(); });
        console.show();
        if (!console.load())
            return 1;
        // A large file got only the quick checks at start: the whole check goes on beside the
        // punches and tells the operator if it finds damage.
        wholeCheck = Module1::instance().takePendingCheck();
        if (wholeCheck)
            wholeCheck->onDone(&console, [&console](const QString &fault) {
                if (!fault.isEmpty() && console.punchServer())
                    console.punchServer()->notices()->storeProblem(
                        QStringLiteral("The check of the database file ") + Module1::databasePath()
                        + QStringLiteral(" found damage: ") + fault
                        + QStringLiteral("\r\rPunches may fail to be stored. Restore the file from a backup soon."));
            });
        QObject::connect(&backups, &DatabaseBackups::failed, &console, [&console](const QString &text) {
            if (console.punchServer())
                console.punchServer()->notices()->storeProblem(text);
        });
        backups.backUpNow();
        backups.startDaily();
        result = app.exec();
    }
    // The console and its terminal connections are gone; closing the last connection merges
    // the write-ahead log into the file and removes it. A structure check still reading the
    // file holds a connection of its own (it cannot be interrupted): it ends first, within
    // seconds even on a large file, so ours is the last.
    if (wholeCheck)
        wholeCheck->waitFor(30000);
    backups.waitForIdle(120000);
    Module1::instance().db.close();
    return result;
}
