#include "datafolder.h"
#include <QDir>
#include <QFileInfo>

namespace zarvo {

QString databaseFolder(const QString &programFolder, const QString &fileName)
{
    const QString folder = QDir::cleanPath(programFolder);
    if (QFileInfo::exists(folder + QLatin1Char('/') + fileName))
        return folder;
    // <root>/opt/zarvo/<name>: the root may be a folder the packages were unpacked into.
    const QStringList parts = folder.split(QLatin1Char('/'));
    const int n = parts.size();
    if (n < 4 || parts[n - 3] != QLatin1String("opt") || parts[n - 2] != QLatin1String("zarvo"))
        return folder;
    const QString root = parts.mid(0, n - 3).join(QLatin1Char('/'));
    return root + QStringLiteral("/var/lib/zarvo/") + parts[n - 1];
}

QString databaseAccessHint(const QString &programFolder, const QString &fileName)
{
    const QString folder = databaseFolder(programFolder, fileName);
    const QFileInfo file(folder + QLatin1Char('/') + fileName);
    if (folder == QDir::cleanPath(programFolder) || !file.exists() || (file.isReadable() && file.isWritable()))
        return {};
    return QStringLiteral("\r\rThe database is for the members of the group zarvo: ask the administrator "
                          "to add you (adduser YOUR-USER-NAME zarvo), then log out and in again.");
}

} // namespace zarvo
