// mkdb OUTPUT SCHEMA [PASSWORD]: writes a fresh database file from a schema file.
#include "database.h"
#include <QFile>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: mkdb OUTPUT SCHEMA [PASSWORD]\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QFile schema(QString::fromLocal8Bit(argv[2]));
    if (!schema.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "mkdb: cannot read %s\n", argv[2]);
        return 1;
    }
    QFile::remove(out);
    try {
        zarvo::DatabaseSession db;
        db.create(out, argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString());
        db.execScript(QString::fromUtf8(schema.readAll()));
    } catch (const zarvo::DbError &e) {
        std::fprintf(stderr, "mkdb: %s\n", qPrintable(e.message()));
        QFile::remove(out);
        return 1;
    }
    return 0;
}
