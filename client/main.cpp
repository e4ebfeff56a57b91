// Client: the remote punch terminal. Opens client.mdb (beside the program, or where the package
// keeps it), then shows Remote.
#include "artwork.h"
#include "database.h"
#include "datafolder.h"
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
    const QString name = QStringLiteral("client.mdb");
    const QString folder = QCoreApplication::applicationDirPath();
    try {
        db.open(zarvo::databaseFolder(folder, name) + QLatin1Char('/') + name);
    } catch (const zarvo::DbError &e) {
        zarvo::Dialogs::message(nullptr, e.message() + zarvo::databaseAccessHint(folder, name), {},
                                zarvo::BoxIcon::Exclamation);
        return 1;
    }
    Remote remote(db);
    QObject::connect(&remote, &Remote::endProgram, &app, [] { QCoreApplication::exit(0); });
    runClientScriptFromEnvironment(remote);
    remote.show();
    remote.open();
    return app.exec();
}
