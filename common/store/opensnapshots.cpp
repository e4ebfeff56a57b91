#include "opensnapshots.h"
#include "snapshot.h"
#include <algorithm>

namespace zarvo {

void OpenSnapshots::remove(Snapshot *snapshot)
{
    m_open.erase(std::remove(m_open.begin(), m_open.end(), snapshot), m_open.end());
}

void OpenSnapshots::beforeWrite(const QString &tableLower, qint64 rowid, const Snapshot *writer, bool deleting)
{
    for (Snapshot *other : m_open)
        if (other != writer && other->tableLower() == tableLower)
            other->writtenElsewhere(rowid, deleting);
}

} // namespace zarvo
