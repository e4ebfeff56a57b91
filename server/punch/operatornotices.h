#pragma once
// What the operator must learn at once without being stopped: punches the store refused,
// problems of the database file, terminals turned away. Each distinct problem shows one box
// that does not wait (punches go on meanwhile); punches not stored are also counted until the
// operator acknowledges the count in the console's status bar.

#include <QDateTime>
#include <QObject>
#include <QSet>
#include <QString>
#include <QToolButton>

class OperatorNotices : public QObject {
    Q_OBJECT
public:
    explicit OperatorNotices(QObject *parent = nullptr);

    /// A punch the store did not take: counted, and told once per distinct store message
    /// while that notice is open.
    void punchNotStored(const QString &employeeId, const QString &storeMessage, const QDateTime &when);
    /// A punch a terminal kept while the server was away that could not go into its day (out
    /// of order, day full, a time out of range): set aside in the held list. Counted, and told
    /// in one box per reason while that box is open.
    void punchHeld(const QString &employeeId, const QDateTime &when, const QString &reason,
                   const QString &terminal, const QString &address);
    int heldCount() const { return m_held; }
    /// A fault of the database file found outside a punch (the check after start-up).
    void storeProblem(const QString &text);
    /// Connections refused or closed to keep room for terminals; `key` groups equal events.
    void connectionsTurnedAway(const QString &key, const QString &text);

    int notStoredCount() const { return m_notStored; }
    /// The operator has seen the count: it starts again from 0.
    void acknowledge();

signals:
    void notStoredCountChanged(int count);

private:
    void notice(const QString &key, const QString &text, const QString &title);

    QSet<QString> m_open; ///< keys of notices still on screen
    int m_notStored = 0;
    int m_held = 0;
};

/// The status bar's count of punches not stored: hidden at 0, a click acknowledges it.
class NotStoredIndicator : public QToolButton {
    Q_OBJECT
public:
    NotStoredIndicator(OperatorNotices *notices, QWidget *parent = nullptr);

private:
    void showCount(int count);
};
