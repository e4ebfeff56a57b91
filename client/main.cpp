// Client: the remote punch terminal. Opens client.mdb beside the program, then shows Remote.
#include "artwork.h"
#include "clientstore.h"
#include "database.h"
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

    const QString folder = QCoreApplication::applicationDirPath();
    const ClientSettings settings = readClientSettings(folder, app.arguments());
    const QString path = folder + QStringLiteral("/client.mdb");
    zarvo::DatabaseSession db;
    try {
        db.open(path);
    } catch (const zarvo::DbError &e) {
        zarvo::Dialogs::message(nullptr, e.message(), {}, zarvo::BoxIcon::Exclamation);
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
