#pragma once
// Running the real programs in tests: a copy of a program folder and a headless environment.

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QString>

namespace zarvo::test {

/// Copies the files of a program folder (the program and what is delivered beside it), with
/// their permissions.
bool copyProgramFolder(const QString &from, const QString &to);
/// The environment for a program started by a test: offscreen, boxes dismissed at once.
QProcessEnvironment headlessEnvironment();

/// Waits until the process has written a line matching `pattern` (one capture) to standard
/// error, appending what it wrote to `seen`; the capture, or "" when none came in time.
QString waitForLine(QProcess &p, QString &seen, const QRegularExpression &pattern, int timeoutMs);

/// A program's standard error read in order: each wait looks only at what the program wrote
/// after the line the previous wait found.
class LogCursor {
public:
    LogCursor(QProcess &p, QString &log) : m_p(p), m_log(log) {}
    /// The next line matching `pattern` (a regular expression, whole match), or "".
    QString next(const QString &pattern, int timeoutMs = 30000);

private:
    QProcess &m_p;
    QString &m_log;
    qsizetype m_from = 0;
};

} // namespace zarvo::test
