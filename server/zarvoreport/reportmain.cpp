// ZarvoReport: the payroll export program, beside ZarvoServer and its punched.mdb.
#include "module1.h"
#include "reportcli.h"
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <cstdio>
#include <memory>

int main(int argc, char **argv)
{
    // A PDF needs fonts, hence the GUI library, but never a display: offscreen unless told.
    bool pdf = false;
    for (int i = 1; i < argc; ++i)
        pdf = pdf || qstrcmp(argv[i], "--pdf") == 0;
    if (pdf && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app;
    if (pdf)
        app = std::make_unique<QGuiApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    QFile out, err;
    out.open(stdout, QIODevice::WriteOnly);
    err.open(stderr, QIODevice::WriteOnly);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    return zarvo::runReportCommand(args, Module1::databasePath(),
                                   out, err);
}
