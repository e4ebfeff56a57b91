#pragma once
// Running the real programs in tests: a copy of a program folder and a headless environment.

#include <QProcessEnvironment>
#include <QString>

namespace zarvo::test {

/// Copies the files of a program folder (the program and what is delivered beside it), with
/// their permissions.
bool copyProgramFolder(const QString &from, const QString &to);
/// The environment for a program started by a test: offscreen, boxes dismissed at once.
QProcessEnvironment headlessEnvironment();

} // namespace zarvo::test
