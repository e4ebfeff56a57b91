#pragma once
// Answering the punches that arrived together: one durable commit for all of them.

#include "database.h"
#include <QByteArray>
#include <QList>
#include <QStringList>

namespace zarvo {

/// Answers each message like answerPunch() and returns the replies in the same order (empty =
/// no reply). All punches share one transaction, so they cost one durable commit; when it
/// returns, every punch it answered is stored. When the store fails anywhere in the batch,
/// nothing of it is kept and each message is answered again on its own, so a failing punch
/// loses only its own reply (empty) and no punch is lost or recorded twice. Never throws.
/// When `failures` is given it receives, per message, the store's message for a punch that
/// was not stored, or an empty text.
QList<QByteArray> answerPunches(DatabaseSession &db, const QList<QByteArray> &messages,
                                QStringList *failures = nullptr);

} // namespace zarvo
