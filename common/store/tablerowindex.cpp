#include "tablerowindex.h"
#include <algorithm>

namespace zarvo {

TableRowIndex::~TableRowIndex() { takeListingIn(true, false); }

std::shared_ptr<RowIdList> TableRowIndex::find(const QString &tableLower)
{
    takeListingIn(true);
    const auto t = m_lists.find(tableLower);
    return t == m_lists.end() ? nullptr : t->second;
}

RowIds TableRowIndex::keep(const QString &tableLower, RowIdList listed)
{
    if (!m_keep)
        return RowIds(std::move(listed));
    auto kept = std::make_shared<RowIdList>(std::move(listed));
    m_lists[tableLower] = kept;
    return RowIds(kept);
}

void TableRowIndex::forget()
{
    takeListingIn(true, false);
    m_lists.clear();
}

void TableRowIndex::listInBackground(const QString &path, const QByteArray &key)
{
    if (m_keep && !m_listing)
        m_listing = BackgroundListing::start(path, key);
}

void TableRowIndex::takeListingIn(bool wait, bool keep)
{
    if (!m_listing || (!wait && !m_listing->done()))
        return;
    const std::unique_ptr<BackgroundListing> listing = std::move(m_listing);
    const auto log = std::move(m_log);
    m_log.clear();
    if (!keep)
        return; // the listing stops as it goes
    BackgroundListing::Lists lists = listing->take();
    if (lists.empty())
        return;
    for (auto &[table, ids] : lists) {
        const QString t = table.toLower();
        if (!m_lists.count(t))
            m_lists[t] = std::make_shared<RowIdList>(std::move(ids));
    }
    // Replay what this connection did since the listing's snapshot began.
    for (const auto &[table, rowid, added] : log)
        apply(table, rowid, added);
}

void TableRowIndex::follow(const QString &tableLower, qint64 rowid, bool added)
{
    if (m_listing) { // replayed over the listing when it is taken in
        m_log.emplace_back(tableLower, rowid, added);
        takeListingIn(false);
        return;
    }
    apply(tableLower, rowid, added);
}

void TableRowIndex::apply(const QString &tableLower, qint64 rowid, bool added)
{
    const auto t = m_lists.find(tableLower);
    if (t == m_lists.end())
        return;
    // Record sets may share the list (see RowIds): appending leaves what they see as it was;
    // anything else is done on a copy of the list while it is shared.
    auto &kept = t->second;
    if (added && (kept->empty() || rowid > kept->back())) {
        kept->push_back(rowid);
        return;
    }
    if (kept.use_count() > 1)
        kept = std::make_shared<RowIdList>(*kept);
    auto &ids = *kept;
    if (added) {
        ids.insert(std::upper_bound(ids.begin(), ids.end(), rowid), rowid);
        return;
    }
    const auto it = std::lower_bound(ids.begin(), ids.end(), rowid);
    if (it != ids.end() && *it == rowid)
        ids.erase(it);
}

} // namespace zarvo
