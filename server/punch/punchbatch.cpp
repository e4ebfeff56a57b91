#include "punchbatch.h"
#include "punchrule.h"

namespace zarvo {

QList<QByteArray> answerJobs(DatabaseSession &db, const QList<PunchJob> &jobs, QStringList *failures)
{
    QList<QByteArray> replies(jobs.size());
    if (failures)
        *failures = QStringList(jobs.size());
    if (jobs.size() > 1) {
        try {
            Transaction batch(db);
            for (qsizetype i = 0; i < jobs.size(); ++i)
                replies[i] = jobs[i](db);
            batch.commit();
            return replies;
        } catch (const DbError &) {
            // Rolled back as a whole; fall through and answer one by one.
        }
    }
    for (qsizetype i = 0; i < jobs.size(); ++i) {
        try {
            replies[i] = jobs[i](db);
        } catch (const DbError &e) {
            // Work the store could not take gets no reply: the terminal shows nothing, which
            // is what a terminal sees for an unrecorded punch. The operator is told.
            replies[i].clear();
            if (failures)
                (*failures)[i] = e.message();
        }
    }
    return replies;
}

QList<QByteArray> answerPunches(DatabaseSession &db, const QList<QByteArray> &messages, QStringList *failures)
{
    QList<PunchJob> jobs;
    jobs.reserve(messages.size());
    for (const QByteArray &m : messages)
        jobs.append([m](DatabaseSession &d) { return answerPunch(d, m); });
    return answerJobs(db, jobs, failures);
}

} // namespace zarvo
