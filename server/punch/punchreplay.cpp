#include "punchreplay.h"
#include "serverlayout.h"
#include "changelog.h"
#include "protocolext.h"
#include "punchrule.h"

namespace zarvo {
namespace {
using ServerLayout::TimeSlots;

/// Adds the punch to held_punch unless it is there already (a replay whose acknowledgement
/// was lost comes again).
void hold(DatabaseSession &db, const QString &id, const QDateTime &when, const ReplaySource &source,
          const QString &reason, const QDateTime &receivedAt, bool *added)
{
    const QString day = dayText(when.date());
    const QString time = timeText(when.time());
    RecordSet rs;
    rs.open(db, QStringLiteral("Select * from held_punch where emp_id = ? and punch_date = ?"), {id, day});
    for (; !rs.eof(); rs.moveNext()) {
        if (rs.text(QStringLiteral("emp_id")) == id && rs.text(QStringLiteral("punch_time")) == time) {
            *added = false;
            return;
        }
    }
    // Set aside with its entry in the change log, in one transaction (or in the batch's).
    ChangeLog::HandChange logged(db, QStringLiteral("Punch Server"), rs, ChangeLog::Action::Add);
    rs.addNew();
    rs.setValue(QStringLiteral("emp_id"), id);
    rs.setValue(QStringLiteral("punch_date"), day);
    rs.setValue(QStringLiteral("punch_time"), time);
    rs.setValue(QStringLiteral("terminal_id"), source.terminalId);
    rs.setValue(QStringLiteral("terminal_name"), source.terminalName);
    rs.setValue(QStringLiteral("address"), source.address);
    rs.setValue(QStringLiteral("reason"), reason);
    rs.setValue(QStringLiteral("received_at"), receivedAt.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    rs.update();
    logged.commit();
    *added = true;
}
} // namespace

ReplayOutcome RecordReplayedPunch(DatabaseSession &db, const QString &id, const QDateTime &when)
{
    const QString day = dayText(when.date());
    const QTime time = QTime::fromString(timeText(when.time()), QStringLiteral("HH:mm:ss"));
    RecordSet rs;
    rs.open(db, QStringLiteral("Select * from timesheet where emp_id = ? and rsdate = ?"), {id, when.date()});
    if (rs.recordCount() > 0) {
        rs.moveFirst();
        if (rs.find(QStringLiteral("rsdate ='") + day + QLatin1Char('\''))) {
            QTime held[6];
            int free = -1;
            for (int i = 0; i < 6; ++i) {
                const QVariant v = rs.value(QLatin1String(TimeSlots[i]));
                if (!v.isValid()) {
                    if (free < 0)
                        free = i;
                    continue;
                }
                held[i] = v.toTime();
                if (held[i].isValid() && std::abs(held[i].secsTo(time)) <= ReplayDuplicateSeconds)
                    return ReplayOutcome::Duplicate;
            }
            if (free < 0)
                return ReplayOutcome::DayFull;
            for (int i = 0; i < 6; ++i) {
                if (!held[i].isValid())
                    continue;
                if ((i < free && held[i] > time) || (i > free && held[i] < time))
                    return ReplayOutcome::OutOfOrder;
            }
            // The first free slot, as the punch rule fills it.
            rs.setValue(QLatin1String(TimeSlots[free]), timeText(when.time()));
            rs.update();
            return free % 2 == 0 ? ReplayOutcome::SignedIn : ReplayOutcome::SignedOut;
        }
    }
    RecordPunchAt(db, id, when);
    return ReplayOutcome::SignedIn;
}

ReplayAnswer answerReplay(DatabaseSession &db, const QString &id, const QDateTime &when,
                          const ReplaySource &source, const QDateTime &receivedAt)
{
    namespace R = ProtocolExt::Result;
    ReplayAnswer answer;
    const ServerLookup found = lookupEmployeeForServer(db, id);
    if (found.kind != ServerLookup::Found) {
        answer.result = QLatin1String(R::NotFound);
        return answer;
    }
    answer.name = found.name;
    QString reason;
    if (!when.isValid() || when > receivedAt.addSecs(ReplayFutureSeconds)
        || when < receivedAt.addDays(-ReplayPastDays)) {
        reason = QStringLiteral("time out of range");
    } else {
        switch (RecordReplayedPunch(db, id, when)) {
        case ReplayOutcome::SignedIn: answer.result = QLatin1String(R::SignedIn); return answer;
        case ReplayOutcome::SignedOut: answer.result = QLatin1String(R::SignedOut); return answer;
        case ReplayOutcome::Duplicate: answer.result = QLatin1String(R::Duplicate); return answer;
        case ReplayOutcome::OutOfOrder: reason = QStringLiteral("out of order"); break;
        case ReplayOutcome::DayFull: reason = QStringLiteral("day full"); break;
        }
    }
    bool added = false;
    hold(db, id, when, source, reason, receivedAt, &added);
    answer.result = QLatin1String(R::Held);
    if (added)
        answer.heldReason = reason;
    return answer;
}

} // namespace zarvo
