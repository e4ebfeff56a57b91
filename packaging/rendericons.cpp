// rendericons OUTDIR NAME...: draws the programs' icon at the sizes desktops look for, as
// OUTDIR/hicolor/<size>x<size>/apps/<NAME>.png, for the menu entries of the packages.
#include "artwork.h"
#include <QDir>
#include <QGuiApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: rendericons OUTDIR NAME...\n");
        return 2;
    }
    // Drawing needs the GUI library, never a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString out = QString::fromLocal8Bit(argv[1]);
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/hicolor/%2x%2/apps").arg(out).arg(size);
        const QPixmap icon = zarvo::Artwork::appIconPixmap(size);
        for (int i = 2; i < argc; ++i) {
            const QString file = folder + QLatin1Char('/') + QString::fromLocal8Bit(argv[i]) + QStringLiteral(".png");
            if (!QDir().mkpath(folder) || !icon.save(file, "PNG")) {
                std::fprintf(stderr, "rendericons: cannot write %s\n", qPrintable(file));
                return 1;
            }
        }
    }
    return 0;
}
