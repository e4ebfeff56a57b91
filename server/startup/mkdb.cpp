// mkdb [--client] OUTPUT SCHEMA [PASSWORD]: lays a delivered database file out from a schema
// file, where none exists yet; with --client, client.mdb at the newest layout version of the
// terminal (the schema, then every step of ClientLayout on top of it).
//
// The build and the install run this on every pass, over program folders that may hold a
// database in use: an existing file (or its write-ahead log) is never replaced, truncated or
// written. It is only read, to check that it has the layout the schema describes; a file with
// another layout is a migration question, so the step fails loudly and leaves it as it is. A
// client.mdb of an older layout version is accepted as it is: the terminal brings it up to
// date when it starts.
#include "clientstore.h"
#include "database.h"
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <cstdio>
#include <unistd.h>

using zarvo::DatabaseSession;
using zarvo::DbError;
using zarvo::RecordSet;

namespace {

void say(const QString &text) { std::fprintf(stderr, "mkdb: %s\n", qPrintable(text)); }

// Tables and indexes with their SQL, blanks folded, in a stable order.
QStringList layoutOf(DatabaseSession &db)
{
    RecordSet rs;
    rs.open(db, QStringLiteral("Select type, name, sql from sqlite_master"));
    QStringList out;
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    for (; !rs.eof(); rs.moveNext())
        out << rs.text(QStringLiteral("type")) + QLatin1Char('|') + rs.text(QStringLiteral("name")) +
                   QLatin1Char('|') + rs.text(QStringLiteral("sql")).replace(blanks, QStringLiteral(" "));
    out.sort();
    return out;
}

int checkExisting(const QString &out, const QString &password, const QString &schema, const QString &schemaPath,
                  bool client)
{
    DatabaseSession existing;
    try {
        // A file with a log may be in use or hold rows only the log has: read it without any
        // right to write, so not even closing checkpoints or removes that log. A file without
        // one is opened as usual, so the log its reading needs goes again when it closes.
        if (QFileInfo::exists(out + QStringLiteral("-wal")))
            existing.openReadOnly(out, password);
        else
            existing.open(out, password);
    } catch (const DbError &e) {
        say(QStringLiteral("%1 exists but cannot be read (%2); it is left as it is.").arg(out, e.message()));
        return 1;
    }
    // The layout its version stands for: the schema, and for client.mdb the steps up to it.
    DatabaseSession reference;
    reference.create(QStringLiteral(":memory:"));
    reference.execScript(schema);
    if (client) {
        const int version = ClientLayout::version(existing);
        if (version > ClientLayout::newest()) {
            say(QStringLiteral("%1 has layout version %2, newer than this program knows (%3); it is left as it is.")
                    .arg(out)
                    .arg(version)
                    .arg(ClientLayout::newest()));
            return 1;
        }
        ClientLayout::applySteps(reference, version);
    }
    if (layoutOf(existing) != layoutOf(reference)) {
        say(QStringLiteral("%1 exists with another layout than %2. It is left as it is, with its data: "
                           "move it away to get a fresh file, or bring its tables up to date by hand.")
                .arg(out, schemaPath));
        return 1;
    }
    std::fprintf(stdout, "mkdb: keeping %s as it is\n", qPrintable(out));
    return 0;
}

int layOutNew(const QString &out, const QString &password, const QString &schema, bool client)
{
    // Built under a temporary name, then linked to its name only if that is still free, so a
    // file that appeared meanwhile is never overwritten.
    QString temp;
    {
        QTemporaryFile t(out + QStringLiteral(".new-XXXXXX"));
        if (!t.open()) {
            say(QStringLiteral("cannot write beside %1").arg(out));
            return 1;
        }
        temp = t.fileName();
        t.setAutoRemove(false);
    }
    QFile::remove(temp); // our own empty placeholder: the store creates the file itself
    try {
        DatabaseSession db;
        db.create(temp, password);
        db.execScript(schema);
        if (client)
            ClientLayout::applySteps(db);
    } catch (const DbError &e) {
        say(e.message());
        QFile::remove(temp);
        return 1;
    }
    const int linked = ::link(QFile::encodeName(temp).constData(), QFile::encodeName(out).constData());
    QFile::remove(temp);
    if (linked != 0) {
        say(QStringLiteral("%1 appeared while it was being laid out; it is left as it is").arg(out));
        return 1;
    }
    std::fprintf(stdout, "mkdb: laid out %s\n", qPrintable(out));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const bool client = !args.isEmpty() && args.first() == QLatin1String("--client");
    if (client)
        args.removeFirst();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: mkdb [--client] OUTPUT SCHEMA [PASSWORD]\n");
        return 2;
    }
    const QString out = args[0];
    const QString schemaPath = args[1];
    const QString password = args.value(2);
    QFile schemaFile(schemaPath);
    if (!schemaFile.open(QIODevice::ReadOnly)) {
        say(QStringLiteral("cannot read %1").arg(schemaPath));
        return 1;
    }
    const QString schema = QString::fromUtf8(schemaFile.readAll());
    try {
        if (QFileInfo::exists(out))
            return checkExisting(out, password, schema, schemaPath, client);
        // A log without its file would be played into the new one.
        for (const char *suffix : {"-wal", "-journal"}) {
            if (QFileInfo::exists(out + QLatin1String(suffix))) {
                say(QStringLiteral("%1%2 exists without %1; move it away first").arg(out, QLatin1String(suffix)));
                return 1;
            }
        }
        return layOutNew(out, password, schema, client);
    } catch (const DbError &e) {
        say(e.message());
        return 1;
    }
}
