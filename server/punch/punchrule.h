#pragma once
// The punch rule: which of a day's six slots a punch fills, and the two employee lookups
// (the clock window's over its snapshot, the punch server's over a fresh query).

#include "database.h"
#include <QByteArray>
#include <QString>

namespace zarvo {

enum class PunchOutcome { SignedIn, SignedOut, DayFull };

/// Records a punch for an employee the caller has already found, at Clock::now().
/// The ID is used exactly as presented. Throws DbError when the store fails.
PunchOutcome RecordPunch(DatabaseSession &db, const QString &id);

/// "first last", a Null part giving nothing (the blank stays).
QString punchName(const RecordSet &employee);

/// The clock window's lookup: from the first row, the first row whose emp_id equals `id`
/// exactly (case and blanks count). Leaves the record set on that row; false when none.
bool findEmployeeExact(RecordSet &employees, const QString &id);

/// The punch server's lookup over "Select * from Employee where emp_id = ?".
struct ServerLookup {
    enum Kind { NoRows, NoExactMatch, Found } kind = NoRows;
    QString name; ///< punchName() of the found row
};
ServerLookup lookupEmployeeForServer(DatabaseSession &db, const QString &id);

/// The whole server side of one received message: the reply bytes ("NRF", "RIN"+name,
/// "OUT"+name) or empty for no reply. Throws DbError when the store fails.
QByteArray answerPunch(DatabaseSession &db, const QByteArray &message);

/// True for a reply that tells of a recorded punch ("RIN"... or "OUT"...).
bool isRecordedPunchReply(const QByteArray &reply);

} // namespace zarvo
