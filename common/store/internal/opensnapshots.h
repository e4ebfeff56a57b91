#pragma once
// The open snapshots of a session: the one link between record sets. Before a record set
// writes a row, every other snapshot holding that row keeps its current values; before it
// deletes one, they also learn the row is gone, so that a later insert reusing its row id is
// never mistaken for it.

#include <QString>
#include <vector>

namespace zarvo {

class Snapshot;

class OpenSnapshots {
public:
    void add(Snapshot *snapshot) { m_open.push_back(snapshot); }
    void remove(Snapshot *snapshot);
    /// Tells every snapshot but the writer that `rowid` of the table is about to change.
    void beforeWrite(const QString &tableLower, qint64 rowid, const Snapshot *writer, bool deleting);

private:
    std::vector<Snapshot *> m_open;
};

} // namespace zarvo
