#pragma once
// The one SQLCipher connection of a session: opened with the store's settings (the key, the
// case-blind NOCASE, durable commits in the write-ahead log, or read only), closed when it goes.

#include <QByteArray>
#include <QString>

struct sqlite3;

namespace zarvo {

/// Throws DbError with the connection's last message (and the context in brackets).
[[noreturn]] void throwStoreError(sqlite3 *db, const QString &context = {});

class Connection {
public:
    enum class Mode { Existing, Create, ReadOnly };
    /// Opens the file; throws DbError with the store's text (missing file, wrong password, not
    /// a database) and leaves nothing open.
    Connection(const QString &path, const QString &password, Mode mode);
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    sqlite3 *handle() const { return m_db; }
    const QString &path() const { return m_path; }
    /// The password as the store takes it (empty: no encryption).
    const QByteArray &key() const { return m_key; }

private:
    void configure(Mode mode);

    sqlite3 *m_db = nullptr;
    QString m_path;
    QByteArray m_key;
};

} // namespace zarvo
