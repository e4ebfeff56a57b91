#include "programs.h"
#include <QElapsedTimer>
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

QString waitForLine(QProcess &p, QString &seen, const QRegularExpression &pattern, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        seen += QString::fromLocal8Bit(p.readAllStandardError());
        const QRegularExpressionMatch m = pattern.match(seen);
        if (m.hasMatch())
            return m.captured(1);
        if (p.state() == QProcess::NotRunning)
            break;
        p.waitForReadyRead(100);
    }
    return {};
}

QString LogCursor::next(const QString &pattern, int timeoutMs)
{
    QString rest = m_log.mid(m_from);
    const QString line = waitForLine(m_p, rest, QRegularExpression("(" + pattern + ")"), timeoutMs);
    m_log = m_log.left(m_from) + rest;
    if (!line.isEmpty())
        m_from += rest.indexOf(line) + line.size();
    return line;
}

} // namespace zarvo::test
