// ZarvoServer: opens punched.mdb in the program's folder, then shows the console.
#include "artwork.h"
#include "dialogs.h"
#include "module1.h"
#include "operatornotices.h"
#include "punchserver.h"
#include "storecheck.h"
#include "velopunch.h"
#include <QApplication>
#include <QStyleFactory>

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
        zarvo::Dialogs::message(nullptr, e.message(), {}, zarvo::BoxIcon::Critical);
        return 1;
    }
    VeloPunch console;
    QObject::connect(&console, &VeloPunch::closed, &app, &QApplication::quit);
    console.show();
    if (!console.load())
        return 1;
    // A large file got only a quick look at start: the whole check runs beside the punches and
    // tells the operator if it finds damage.
    const std::shared_ptr<zarvo::BackgroundStoreCheck> wholeCheck = Module1::instance().takePendingCheck();
    if (wholeCheck)
        wholeCheck->onDone(&console, [&console](const QString &fault) {
            if (!fault.isEmpty() && console.punchServer())
                console.punchServer()->notices()->storeProblem(
                    QStringLiteral("The check of the database file ") + Module1::programFolder() + QStringLiteral("/punched.mdb")
                    + QStringLiteral(" found damage: ") + fault
                    + QStringLiteral("\r\rPunches may fail to be stored. Restore the file from a backup soon."));
        });
    return app.exec();
}
