#include "punchbatch.h"
#include "punchrule.h"

namespace zarvo {

QList<QByteArray> answerPunches(DatabaseSession &db, const QList<QByteArray> &messages,
                                QStringList *failures)
{
    QList<QByteArray> replies(messages.size());
    if (failures)
        *failures = QStringList(messages.size());
    if (messages.size() > 1) {
        try {
            Transaction batch(db);
            for (qsizetype i = 0; i < messages.size(); ++i)
                replies[i] = answerPunch(db, messages[i]);
            batch.commit();
            return replies;
        } catch (const DbError &) {
            // Rolled back as a whole; fall through and answer one by one.
        }
    }
    for (qsizetype i = 0; i < messages.size(); ++i) {
        try {
            replies[i] = answerPunch(db, messages[i]);
        } catch (const DbError &e) {
            // A punch the store could not take gets no reply: the terminal shows nothing,
            // which is what a terminal sees for an unrecorded punch. The operator is told.
            replies[i].clear();
            if (failures)
                (*failures)[i] = e.message();
        }
    }
    return replies;
}

} // namespace zarvo
