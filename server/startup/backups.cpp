#include "backups.h"
#include "clock.h"
#include "layout.h"
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <condition_variable>
#include <mutex>
#include <thread>

struct DatabaseBackups::Worker {
    std::thread thread;
    std::mutex mutex;
    std::condition_variable cv;
    bool finished = false;
    QDate day;
};

DatabaseBackups::DatabaseBackups(const QString &databasePath, const QString &password, QObject *parent)
    : QObject(parent), m_path(databasePath), m_password(password)
{
    connect(&m_timer, &QTimer::timeout, this, &DatabaseBackups::dailyCheck);
}

DatabaseBackups::~DatabaseBackups()
{
    if (m_worker && m_worker->thread.joinable())
        m_worker->thread.join();
}

bool DatabaseBackups::busy() const { return m_running; }

bool DatabaseBackups::waitForIdle(int ms)
{
    if (!m_worker)
        return true;
    std::unique_lock lock(m_worker->mutex);
    return m_worker->cv.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_worker->finished; });
}

QString DatabaseBackups::dailyCopy(const QString &databasePath, const QDate &day)
{
    const QFileInfo f(databasePath);
    return zarvo::backupsFolderOf(databasePath) + QLatin1Char('/') + f.completeBaseName() + QLatin1Char('-')
        + day.toString(Qt::ISODate) + QLatin1Char('.') + f.suffix();
}

QStringList DatabaseBackups::removeOldCopies(const QString &databasePath, int keep)
{
    const QFileInfo f(databasePath);
    const QRegularExpression daily(QLatin1Char('^') + QRegularExpression::escape(f.completeBaseName())
                                   + QStringLiteral("-\\d{4}-\\d\\d-\\d\\d\\.") + QRegularExpression::escape(f.suffix())
                                   + QLatin1Char('$'));
    QDir folder(zarvo::backupsFolderOf(databasePath));
    QStringList copies = folder.entryList(QDir::Files, QDir::Name | QDir::Reversed).filter(daily);
    QStringList removed;
    for (qsizetype i = keep; i < copies.size(); ++i)
        if (folder.remove(copies[i]))
            removed << copies[i];
    return removed;
}

void DatabaseBackups::startDaily(int checkMs)
{
    m_timer.start(checkMs);
}

void DatabaseBackups::dailyCheck()
{
    const QDateTime now = zarvo::Clock::now();
    if (busy() || (m_retryAfter.isValid() && now < m_retryAfter) || m_lastDay == now.date())
        return;
    backUpNow();
}

void DatabaseBackups::backUpNow()
{
    if (busy())
        return;
    if (m_worker && m_worker->thread.joinable())
        m_worker->thread.join();
    const QDate day = zarvo::Clock::now().date();
    const QString target = dailyCopy(m_path, day);
    if (!QDir().mkpath(zarvo::backupsFolderOf(m_path))) {
        done(target, QStringLiteral("the folder cannot be made"));
        return;
    }
    auto w = std::make_shared<Worker>();
    w->day = day;
    m_worker = w;
    m_running = true;
    // The thread ends before this object does (see the destructor), so the result can be
    // posted to it; a result posted to an object being destroyed is dropped by Qt.
    w->thread = std::thread([this, w, path = m_path, password = m_password, target] {
        QString error;
        try {
            zarvo::copyDatabase(path, password, target);
        } catch (const zarvo::DbError &e) {
            error = e.message();
        }
        {
            std::lock_guard lock(w->mutex);
            w->finished = true;
        }
        w->cv.notify_all();
        QMetaObject::invokeMethod(this, [this, target, error] { done(target, error); }, Qt::QueuedConnection);
    });
}

void DatabaseBackups::done(const QString &target, const QString &error)
{
    if (m_worker && m_worker->thread.joinable())
        m_worker->thread.join();
    m_running = false;
    if (error.isEmpty()) {
        m_lastDay = m_worker ? m_worker->day : QDate();
        m_retryAfter = {};
        // The new copy opened and passed its check: only now may the oldest go.
        removeOldCopies(m_path, KeepDaily);
        emit copied(target);
        return;
    }
    m_retryAfter = zarvo::Clock::now().addSecs(3600);
    emit failed(QStringLiteral("The copy of the database file %1 could not be written to %2: %3\r\r"
                               "Punches go on being stored, and the older copies are kept. Make room on the "
                               "disk (or make the folder writable); the next copy is tried in an hour.")
                    .arg(m_path, target, error));
}
