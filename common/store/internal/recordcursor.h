#pragma once
// A record set: a position over its snapshot, and the row being added or edited there.

#include "database.h"
#include "snapshot.h"
#include <algorithm>

namespace zarvo {

/// A cursor's whole state beside the table, kept to be put back (Transaction).
struct CursorState {
    Snapshot::State snapshot;
    int pos = -1;
    bool currentDeleted = false;
    bool adding = false;
    Edits edits;
};

class RecordCursor {
public:
    RecordCursor(std::shared_ptr<SessionImpl> session, const QString &sql, const QVariantList &params)
        : snapshot(std::move(session), sql, params), pos(snapshot.size() ? 0 : -1) {}

    bool onRow() const { return pos >= 0 && pos < snapshot.size(); }
    /// Off a row this record set deleted: the snapshot drops it before any move.
    void leaveDeleted()
    {
        if (!currentDeleted)
            return;
        currentDeleted = false;
        if (onRow())
            snapshot.forget(pos);
    }
    void moveTo(int row)
    {
        leaveDeleted();
        adding = false;
        edits.clear();
        pos = std::clamp(row, -1, snapshot.size());
    }
    void requireWritableRow() const
    {
        if (!onRow() || currentDeleted)
            throw DbError(QStringLiteral("Either BOF or EOF is True, or the current row was deleted"));
    }

    CursorState save() { return CursorState{snapshot.save(), pos, currentDeleted, adding, edits}; }
    void restore(const CursorState &state)
    {
        snapshot.restore(state.snapshot);
        pos = state.pos;
        currentDeleted = state.currentDeleted;
        adding = state.adding;
        edits = state.edits;
    }

    Snapshot snapshot;
    int pos = -1;
    bool currentDeleted = false;
    bool adding = false;
    Edits edits;
};

} // namespace zarvo
