#pragma once
// The row ids of a record set's snapshot, ascending.
//
// A whole-table record set over millions of rows would copy millions of ids at each opening.
// Instead it shares the connection's kept list of the table, seeing only its first `size` ids:
// inserts only ever append to that list (a new rowid is the largest), which leaves that prefix
// as it was; the connection copies the list before removing from it while it is shared (a
// delete, an administrator's act, pays the copy; a punch never does); and the record set
// copies its view before changing it itself.

#include <QtGlobal>
#include <memory>
#include <vector>

namespace zarvo {

using RowIdList = std::vector<qint64>;

class RowIds {
public:
    RowIds() : m_data(std::make_shared<RowIdList>()) {}
    explicit RowIds(RowIdList own) : m_data(std::make_shared<RowIdList>(std::move(own))), m_size(m_data->size()) {}
    /// A view of the first `shared->size()` ids of a list the connection keeps appending to.
    explicit RowIds(std::shared_ptr<RowIdList> shared) : m_data(std::move(shared)), m_size(m_data->size()), m_owned(false) {}

    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    qint64 operator[](size_t i) const { return (*m_data)[i]; }
    // Valid until the next write of this connection.
    const qint64 *begin() const { return m_data->data(); }
    const qint64 *end() const { return m_data->data() + m_size; }

    /// A copy that keeps seeing the ids as they are now: from here on, this view and the copy
    /// each copy the list before changing it.
    RowIds keep()
    {
        m_owned = false;
        return *this;
    }

    void push_back(qint64 id)
    {
        own();
        m_data->push_back(id);
        ++m_size;
    }
    void erase(size_t index)
    {
        own();
        m_data->erase(m_data->begin() + qsizetype(index));
        --m_size;
    }

private:
    void own()
    {
        if (m_owned)
            return;
        m_data = std::make_shared<RowIdList>(m_data->begin(), m_data->begin() + qsizetype(m_size));
        m_owned = true;
    }

    std::shared_ptr<RowIdList> m_data;
    size_t m_size = 0;
    bool m_owned = true;
};

} // namespace zarvo
