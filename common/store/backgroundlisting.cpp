#include "backgroundlisting.h"
#include <sqlite3.h>

namespace zarvo {

std::unique_ptr<BackgroundListing> BackgroundListing::start(const QString &path, const QByteArray &key)
{
    std::unique_ptr<BackgroundListing> l(new BackgroundListing);
    if (sqlite3_open_v2(path.toUtf8().constData(), &l->m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(l->m_db);
        l->m_db = nullptr;
        return nullptr;
    }
    if (!key.isEmpty())
        sqlite3_key(l->m_db, key.constData(), int(key.size()));
    // The read snapshot starts with the first read inside BEGIN: the caller logs its own
    // writes from here on.
    sqlite3_stmt *st = nullptr;
    if (sqlite3_exec(l->m_db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(l->m_db, "SELECT name FROM sqlite_master WHERE type = 'table'", -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(l->m_db);
        l->m_db = nullptr;
        return nullptr;
    }
    while (sqlite3_step(st) == SQLITE_ROW)
        l->m_lists.emplace_back(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))), RowIdList{});
    sqlite3_finalize(st);
    l->m_thread = std::thread([raw = l.get()] { raw->run(); });
    return l;
}

void BackgroundListing::run()
{
    for (size_t i = 0; i < m_lists.size() && m_ok; ++i) {
        sqlite3_stmt *q = nullptr;
        const QByteArray sql = "SELECT _rowid_ FROM \"" + m_lists[i].first.toUtf8() + "\" ORDER BY _rowid_";
        if (sqlite3_prepare_v2(m_db, sql.constData(), -1, &q, nullptr) != SQLITE_OK) {
            m_ok = false;
            break;
        }
        int rc;
        while ((rc = sqlite3_step(q)) == SQLITE_ROW)
            m_lists[i].second.push_back(sqlite3_column_int64(q, 0));
        m_ok = m_ok && rc == SQLITE_DONE;
        sqlite3_finalize(q);
    }
    sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    m_done = true;
}

BackgroundListing::Lists BackgroundListing::take()
{
    if (m_thread.joinable())
        m_thread.join();
    return m_ok ? std::move(m_lists) : Lists{};
}

BackgroundListing::~BackgroundListing()
{
    if (m_thread.joinable()) {
        sqlite3_interrupt(m_db);
        m_thread.join();
    }
    sqlite3_close_v2(m_db);
}

} // namespace zarvo
