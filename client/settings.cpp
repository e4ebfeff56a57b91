#include "settings.h"
#include <QSettings>

ClientSettings readClientSettings(const QString &folder, const QStringList &arguments)
{
    ClientSettings s;
    QSettings ini(folder + QStringLiteral("/client.ini"), QSettings::IniFormat);
    s.seedBehaviour = ini.value(QStringLiteral("terminal/seed_behaviour"), false).toBool();
    if (arguments.contains(QStringLiteral("--seed-behaviour")))
        s.seedBehaviour = true;
    return s;
}
