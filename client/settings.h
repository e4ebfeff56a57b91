#pragma once
// The terminal's one setting: the seed's behaviour (connect once, keep nothing, a box for
// everything), chosen in client.ini beside client.mdb or on the command line.
//
//   client.ini:    [terminal]
//                  seed_behaviour=true
//   command line:  Client --seed-behaviour

#include <QString>
#include <QStringList>

struct ClientSettings {
    bool seedBehaviour = false;
};

/// Reads `folder`/client.ini (a missing file or key: the defaults) and the program's
/// `arguments` (the option wins over the file).
ClientSettings readClientSettings(const QString &folder, const QStringList &arguments);
