#pragma once
// The copies of the server's database taken while it runs: one at start, then one a day, into
// backups/ beside the file, named after the day ("punched-2026-03-14.mdb"; a second copy of the
// same day replaces the first). Each copy is the store's online backup on a thread and
// connections of its own, so punches go on meanwhile; it is opened with the key and checked
// before it takes its name, and only then are the daily copies beyond the newest 14 removed.
// (The copies taken before a layout upgrade are named apart and never removed here.)

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <memory>

class DatabaseBackups : public QObject {
    Q_OBJECT
public:
    static constexpr int KeepDaily = 14;

    DatabaseBackups(const QString &databasePath, const QString &password, QObject *parent = nullptr);
    /// Waits for a copy still being written, so no connection outlives the program's own.
    ~DatabaseBackups() override;

    /// Starts today's copy now, unless one is being written.
    void backUpNow();
    /// From now on, checks every `checkMs` whether the day has its copy yet (and takes it).
    void startDaily(int checkMs = 10 * 60 * 1000);
    bool busy() const;
    /// Waits up to `ms` for a copy being written; true when none is.
    bool waitForIdle(int ms);

    /// The name of the daily copy of `databasePath` for `day`.
    static QString dailyCopy(const QString &databasePath, const QDate &day);
    /// Removes the daily copies of `databasePath` beyond the newest `keep`; the names removed.
    static QStringList removeOldCopies(const QString &databasePath, int keep);

signals:
    /// A copy was written and checked.
    void copied(const QString &path);
    /// A copy could not be written; `text` says which and why, for the operator.
    void failed(const QString &text);

private:
    void dailyCheck();
    void done(const QString &target, const QString &error);

    QString m_path;
    QString m_password;
    QTimer m_timer;
    QDate m_lastDay;            ///< the day of the last copy written
    QDateTime m_retryAfter;     ///< after a failure, the next try waits an hour
    bool m_running = false; ///< from the start of a copy until its result is taken in
    struct Worker;
    std::shared_ptr<Worker> m_worker;
};
