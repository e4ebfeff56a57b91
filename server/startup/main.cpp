// ZarvoServer: opens punched.mdb in the program's folder, then shows the console.
#include "artwork.h"
#include "dialogs.h"
#include "module1.h"
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
    return app.exec();
}
