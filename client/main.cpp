// Client: the remote punch terminal. Opens client.mdb (beside the program, or where the package
// keeps it), then shows Remote.
#include "artwork.h"
#include "clientstore.h"
#include "database.h"
#include "datafolder.h"
#include "dialogs.h"
#include "remote.h"
#include "scripthook.h"
#include "settings.h"
#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    zarvo::Dialogs::setProgramTitle(QStringLiteral("Zarvo Punch Clock"));
    app.setWindowIcon(zarvo::Artwork::appIcon());

    // client.mdb and client.ini beside the program, or where the package keeps them.
    const QString name = QStringLiteral("client.mdb");
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QString folder = zarvo::databaseFolder(programFolder, name);
    const ClientSettings settings = readClientSettings(folder, app.arguments());
    const QString path = folder + QLatin1Char('/') + name;
    zarvo::DatabaseSession db;
    try {
        db.open(path);
    } catch (const zarvo::DbError &e) {
        zarvo::Dialogs::message(nullptr, e.message() + zarvo::databaseAccessHint(programFolder, name), {},
                                zarvo::BoxIcon::Exclamation);
        return 1;
    }
    auto behaviour = settings.seedBehaviour ? Remote::Behaviour::Seed : Remote::Behaviour::Extended;
    if (behaviour == Remote::Behaviour::Extended) {
        // The tables for kept punches come with the file's next layout; the seed's behaviour
        // leaves the file exactly as it is.
        try {
            ClientLayout::upgrade(db, path);
        } catch (const zarvo::DbError &e) {
            zarvo::Dialogs::message(nullptr,
                                    e.message() + QStringLiteral("\r\rThe terminal works as a plain terminal "
                                                                 "(nothing is kept while the server is away)."),
                                    {}, zarvo::BoxIcon::Exclamation);
            behaviour = Remote::Behaviour::Seed;
        }
    }
    Remote remote(db, behaviour);
    QObject::connect(&remote, &Remote::endProgram, &app, [] { QCoreApplication::exit(0); });
    runClientScriptFromEnvironment(remote);
    remote.show();
    remote.open();
    return app.exec();
}
