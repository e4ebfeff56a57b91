// ZarvoReport: the payroll export program, beside ZarvoServer and its punched.mdb.
#include "reportcli.h"
#include <QCoreApplication>
#include <QFile>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QFile out, err;
    out.open(stdout, QIODevice::WriteOnly);
    err.open(stderr, QIODevice::WriteOnly);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    return zarvo::runReportCommand(args, QCoreApplication::applicationDirPath() + QStringLiteral("/punched.mdb"),
                                   out, err);
}
