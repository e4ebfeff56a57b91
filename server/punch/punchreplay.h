#pragma once
// Punches a terminal kept while the server was away, replayed later: recorded by the punch
// rule at the moment they were typed, exactly once, and never forced into a day where they
// would break its order (those are set aside in table held_punch for the administrator).

#include "database.h"
#include <QDateTime>
#include <QString>

namespace zarvo {

/// A replay whose moment lies this close to a time already in a slot of the day is that punch
/// again. A punch sent live whose answer was lost is stored with the server's own time, and its
/// replay carries the terminal's time corrected by an offset known to a fraction of a second,
/// so the two differ by a second or so; nobody punches twice within two seconds on purpose.
constexpr int ReplayDuplicateSeconds = 2;
/// A replay whose moment is further from the server's time than this is set aside: a terminal
/// clock that jumped (a flat battery, a wrong year) must not write into a far day.
constexpr int ReplayFutureSeconds = 5 * 60;
constexpr int ReplayPastDays = 62;

enum class ReplayOutcome { SignedIn, SignedOut, Duplicate, OutOfOrder, DayFull };

/// The punch rule at `when` for a replayed punch of an employee already found: the day's row
/// (the first, as the rule takes it), the first free slot, unless the moment is already held
/// (Duplicate), a filled slot before the free one holds a later time or one after it an
/// earlier time (OutOfOrder), or no slot is free (DayFull); nothing is written then.
ReplayOutcome RecordReplayedPunch(DatabaseSession &db, const QString &id, const QDateTime &when);

/// Where a replayed punch came from.
struct ReplaySource {
    QString terminalId;
    QString terminalName;
    QString address;
};

/// What the terminal is told, and what the operator must learn.
struct ReplayAnswer {
    QString result;     ///< ProtocolExt::Result: RIN, OUT, DUP, HELD or NRF
    QString name;       ///< the employee's "first last" (empty for NRF)
    QString heldReason; ///< "out of order", "day full" or "time out of range" when held now
};

/// The whole server side of one replayed punch: the employee looked up as for a live punch
/// (NRF when not found exactly: nothing written), the moment checked against `receivedAt`,
/// then the replay rule; a punch that cannot go in is added to held_punch unless the same
/// punch is there already. Throws DbError when the store fails (nothing is acknowledged then).
ReplayAnswer answerReplay(DatabaseSession &db, const QString &id, const QDateTime &when,
                          const ReplaySource &source, const QDateTime &receivedAt);

} // namespace zarvo
