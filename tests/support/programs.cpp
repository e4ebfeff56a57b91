#include "programs.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zarvo::test {

bool copyProgramFolder(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    for (const QFileInfo &f : QDir(from).entryInfoList(QDir::Files)) {
        const QString target = to + QLatin1Char('/') + f.fileName();
        if (!QFile::copy(f.absoluteFilePath(), target))
            return false;
        QFile::setPermissions(target, f.permissions());
    }
    return true;
}

QProcessEnvironment headlessEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("ZARVO_AUTO_DISMISS"), QStringLiteral("1"));
    return env;
}

} // namespace zarvo::test
