// Client: the remote punch terminal. Opens client.mdb beside the program, then shows Remote.
#include "artwork.h"
#include "database.h"
#include "dialogs.h"
#include "remote.h"
#include "scripthook.h"
#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    zarvo::Dialogs::setProgramTitle(QStringLiteral("Zarvo Punch Clock"));
    app.setWindowIcon(zarvo::Artwork::appIcon());

    zarvo::DatabaseSession db;
    try {
        db.open(QCoreApplication::applicationDirPath() + QStringLiteral("/client.mdb"));
    } catch (const zarvo::DbError &e) {
        zarvo::Dialogs::message(nullptr, e.message(), {}, zarvo::BoxIcon::Exclamation);
        return 1;
    }
    Remote remote(db);
    QObject::connect(&remote, &Remote::endProgram, &app, [] { QCoreApplication::exit(0); });
    runClientScriptFromEnvironment(remote);
    remote.show();
    remote.open();
    return app.exec();
}
