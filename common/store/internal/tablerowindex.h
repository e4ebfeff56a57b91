#pragma once
// Every row id of a table, kept once a whole-table select has listed them and then followed
// through each insert and delete of this connection, so that reopening a whole large table
// costs a copy instead of a scan (see RowIds for how record sets share a kept list).

#include "backgroundlisting.h"
#include "rowids.h"
#include <QHash> // std::hash of QString
#include <QString>
#include <memory>
#include <tuple>
#include <unordered_map>
#include <vector>

namespace zarvo {

class TableRowIndex {
public:
    /// `keep` false: nothing is kept, every whole-table select lists its rows.
    explicit TableRowIndex(bool keep) : m_keep(keep) {}
    ~TableRowIndex();

    /// The kept ids of a table (waiting for a background listing first), or nullptr.
    std::shared_ptr<RowIdList> find(const QString &tableLower);
    /// The ids a whole-table select listed, kept from now on when keeping.
    RowIds keep(const QString &tableLower, RowIdList listed);
    /// Follows an insert or delete of this connection.
    void follow(const QString &tableLower, qint64 rowid, bool added);
    /// Drops every kept list (and a background listing).
    void forget();

    /// Lists every table in the background (path and key of the session's file); while it
    /// runs, this connection's inserts and deletes are logged and replayed over it when it
    /// is taken in.
    void listInBackground(const QString &path, const QByteArray &key);
    bool listing() const { return bool(m_listing); }

private:
    void takeListingIn(bool wait, bool keep = true);
    void apply(const QString &tableLower, qint64 rowid, bool added);

    bool m_keep;
    std::unordered_map<QString, std::shared_ptr<RowIdList>> m_lists;
    std::unique_ptr<BackgroundListing> m_listing;
    std::vector<std::tuple<QString, qint64, bool>> m_log; // table, rowid, added
};

} // namespace zarvo
