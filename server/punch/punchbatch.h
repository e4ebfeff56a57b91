#pragma once
// Answering the punches that arrived together: one durable commit for all of them.

#include "database.h"
#include <QByteArray>
#include <QList>
#include <QStringList>
#include <functional>

namespace zarvo {

/// One piece of work of a batch: records what it must and returns the bytes to send back
/// (empty = no reply). Throws DbError when the store fails.
using PunchJob = std::function<QByteArray(DatabaseSession &)>;

/// Runs the jobs in order and returns their replies in the same order. All of them share one
/// transaction, so they cost one durable commit; when it returns, everything it answered is
/// stored. When the store fails anywhere in the batch, nothing of it is kept and each job runs
/// again on its own, so a failing one loses only its own reply (empty) and nothing is lost or
/// recorded twice. Never throws. When `failures` is given it receives, per job, the store's
/// message for a job that was not stored, or an empty text.
QList<QByteArray> answerJobs(DatabaseSession &db, const QList<PunchJob> &jobs, QStringList *failures = nullptr);

/// answerJobs() over seed messages, each answered like answerPunch().
QList<QByteArray> answerPunches(DatabaseSession &db, const QList<QByteArray> &messages,
                                QStringList *failures = nullptr);

} // namespace zarvo
