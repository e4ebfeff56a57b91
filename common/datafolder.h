#pragma once
// Where a program keeps its database file.

#include <QString>

namespace zarvo {

/// The folder that holds the database file `fileName` of a program run from `programFolder`.
/// Beside the program, as the build, copied folders and `cmake --install` lay it out. The
/// packages install the program where its users cannot write (<root>/opt/zarvo/<name>) and
/// lay the database out in <root>/var/lib/zarvo/<name> instead: a program folder of that
/// shape without a database of its own uses that one. The choice follows the layout, not who
/// runs the program, so root and every other user find the same file.
QString databaseFolder(const QString &programFolder, const QString &fileName);

/// What to add to a refusal of the database file `fileName` when the user may not read or write
/// it in the packages' data folder: the group that grants it. Nothing in any other case.
QString databaseAccessHint(const QString &programFolder, const QString &fileName);

} // namespace zarvo
