#pragma once
// Every table's row ids listed on a second connection and thread, so that the first
// whole-table record set of a large table after start-up opens without a full scan. The
// listing's read snapshot starts when it is started.

#include "rowids.h"
#include <QByteArray>
#include <QString>
#include <atomic>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

struct sqlite3;

namespace zarvo {

class BackgroundListing {
public:
    using Lists = std::vector<std::pair<QString, RowIdList>>; // table as stored, its row ids

    /// Starts listing the file; nullptr when its connection cannot be opened or read.
    static std::unique_ptr<BackgroundListing> start(const QString &path, const QByteArray &key);
    /// Stops a listing still running and waits for its thread.
    ~BackgroundListing();
    bool done() const { return m_done; }
    /// Waits for the end and hands the lists over; empty when the listing failed.
    Lists take();

private:
    BackgroundListing() = default;
    void run();

    sqlite3 *m_db = nullptr;
    std::thread m_thread;
    std::atomic<bool> m_done{false};
    bool m_ok = true;
    Lists m_lists; // written by the thread only until done
};

} // namespace zarvo
