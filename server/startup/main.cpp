// ZarvoServer: opens punched.mdb in the program's folder, then shows the console.
#include "dialogs.h"
#include "module1.h"
#include <QApplication>
#include <QMainWindow>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    zarvo::Dialogs::setProgramTitle(QStringLiteral("Zarvo Punch Server"));
    try {
        Module1::instance().openDatabase();
    } catch (const zarvo::DbError &e) {
        zarvo::Dialogs::message(nullptr, e.message(), {}, zarvo::BoxIcon::Critical);
        return 1;
    }
    QMainWindow console;
    console.setWindowTitle(QStringLiteral("Zarvo Punch Clock System "));
    console.show();
    return app.exec();
}
