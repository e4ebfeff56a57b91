// mkdb [--server | --client] OUTPUT SCHEMA [PASSWORD]: lays a delivered database file out from
// a schema file, where none exists yet; with --server, at the newest layout version of
// punched.mdb (the schema, then every step of ServerLayout on top of it), with --client at the
// newest of client.mdb (ClientLayout).
//
// The build and the install run this on every pass, over program folders that may hold a
// database in use: an existing file (or its write-ahead log) is never replaced or truncated.
// It is read, to check that it has the layout of its version; a file with another layout, or
// of a version newer than this program's, fails the step loudly and is left as it is. A file
// of an older version is brought up to date in place, after a copy of it was taken into
// backups/ beside it; one that is in use (its write-ahead log is there) is left for the
// program to bring up to date when it starts.
#include "clientstore.h"
#include "database.h"
#include "clock.h"
#include "layout.h"
#include "serverlayout.h"
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <cstdio>
#include <unistd.h>

using zarvo::DatabaseSession;
using zarvo::LayoutStep;
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
                  const QList<LayoutStep> &steps)
{
    // A file with its write-ahead log beside it is in use (or was not closed cleanly).
    const bool inUse = QFileInfo::exists(out + QStringLiteral("-wal"));
    DatabaseSession existing;
    try {
        // A file with a log may be in use or hold rows only the log has: read it without any
        // right to write, so not even closing checkpoints or removes that log. A file without
        // one is opened as usual, so the log its reading needs goes again when it closes.
        if (inUse)
            existing.openReadOnly(out, password);
        else
            existing.open(out, password);
    } catch (const DbError &e) {
        say(QStringLiteral("%1 exists but cannot be read (%2); it is left as it is.").arg(out, e.message()));
        return 1;
    }
    const int version = zarvo::layoutVersion(existing);
    const int newest = zarvo::newestLayout(steps);
    if (version > newest) {
        say(zarvo::newerLayoutFault(out, version, newest).replace(QLatin1Char('\r'), QLatin1Char(' ')));
        return 1;
    }
    // The layout its version stands for: the schema and the steps up to that version.
    DatabaseSession reference;
    reference.create(QStringLiteral(":memory:"));
    reference.execScript(schema);
    zarvo::applyLayoutSteps(reference, steps, version);
    if (layoutOf(existing) != layoutOf(reference)) {
        say(QStringLiteral("%1 exists with another layout than %2 (layout version %3) describes. It is left "
                           "as it is, with its data: move it away to get a fresh file, or bring its tables up "
                           "to date by hand.")
                .arg(out, schemaPath)
                .arg(version));
        return 1;
    }
    if (version == newest) {
        std::fprintf(stdout, "mkdb: keeping %s as it is\n", qPrintable(out));
        return 0;
    }
    if (inUse) {
        // Its program brings it up to date when it starts (the terminal for client.mdb).
        const bool client = QFileInfo(out).fileName() == QLatin1String("client.mdb");
        std::fprintf(stdout, "mkdb: %s is at layout version %d and in use; the %s brings it up to %d when it "
                             "starts\n", qPrintable(out), version, client ? "terminal" : "server", newest);
        return 0;
    }
    try {
        const zarvo::LayoutUpgrade u = zarvo::upgradeLayout(existing, out, password, steps, zarvo::Clock::now());
        std::fprintf(stdout, "mkdb: brought %s from layout version %d to %d; the copy taken before is %s\n",
                     qPrintable(out), u.from, u.to, qPrintable(u.backup));
        return 0;
    } catch (const DbError &e) {
        say(e.message());
        return 1;
    }
}

int layOutNew(const QString &out, const QString &password, const QString &schema, const QList<LayoutStep> &steps)
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
        zarvo::applyLayoutSteps(db, steps);
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
    const bool server = !args.isEmpty() && args.first() == QLatin1String("--server");
    const bool client = !args.isEmpty() && args.first() == QLatin1String("--client");
    if (server || client)
        args.removeFirst();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: mkdb [--server | --client] OUTPUT SCHEMA [PASSWORD]\n");
        return 2;
    }
    const QString out = args[0];
    const QString schemaPath = args[1];
    const QString password = args.value(2);
    const QList<LayoutStep> steps = server ? ServerLayout::steps()
                                    : client ? ClientLayout::steps()
                                             : QList<LayoutStep>{};
    QFile schemaFile(schemaPath);
    if (!schemaFile.open(QIODevice::ReadOnly)) {
        say(QStringLiteral("cannot read %1").arg(schemaPath));
        return 1;
    }
    const QString schema = QString::fromUtf8(schemaFile.readAll());
    try {
        if (QFileInfo::exists(out))
            return checkExisting(out, password, schema, schemaPath, steps);
        // A log without its file would be played into the new one.
        for (const char *suffix : {"-wal", "-journal"}) {
            if (QFileInfo::exists(out + QLatin1String(suffix))) {
                say(QStringLiteral("%1%2 exists without %1; move it away first").arg(out, QLatin1String(suffix)));
                return 1;
            }
        }
        return layOutNew(out, password, schema, steps);
    } catch (const DbError &e) {
        say(e.message());
        return 1;
    }
}
